// A temporary copy of the sample console data set, with a host INI file for
// each console model, removed again with the object. Its saves fail (the
// files they would write are in the way as folders), so that no run changes
// the data another run reads.
#pragma once

#include <string>

namespace check {

class SampleData {
public:
    SampleData();
    ~SampleData();
    SampleData(const SampleData&) = delete;
    SampleData& operator=(const SampleData&) = delete;

    // The data root: it holds "data/".
    const std::string& Root() const { return m_root; }
    // The host INI file of a console of `model` (1 or 2), polling the port
    // every 10 ms.
    std::string IniFor(int model) const;

private:
    std::string m_root;
};

} // namespace check
