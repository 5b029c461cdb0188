// File access for the log and data files. Paths are written the Windows way
// (backslashes); the native face maps them onto its own file system.
#pragma once

#include <string>

namespace platform {

// Opens `path` for appending (created when missing, never truncated), writes
// `bytes` at its end in one write and closes it. False when it cannot be
// opened or written; a write cut short (a full disk) is taken back, so that
// no fragment stays for the next append to be glued to.
bool AppendToFile(const std::string& path, const std::string& bytes);

// Reads the whole of `path` into `bytes`. False (and `bytes` empty) when it
// cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// Replaces the content of `path` (created when missing) with `bytes` in one
// step: they are written to a new file beside it, "<path>.new", which then
// takes the old file's place. False when any step fails; the old file is
// then left as it was.
bool ReplaceFileContent(const std::string& path, const std::string& bytes);

// Whether `path` names an existing file or directory.
bool FileExists(const std::string& path);

// Creates one directory; an existing one or a failure is not reported.
void MakeDirectory(const std::string& path);

} // namespace platform
