// A main window of one generator type on the simulated desktop, with readers
// for the host's records and the frames on the wire.
#pragma once

#include "DialogFixture.h"

#include "platform/sim/SimWorld.h"
#include "serial/Frames.h"

#include <algorithm>
#include <cstring>

class GeneratorFixture : public DialogFixture {
protected:
    static constexpr const char* kPort = "COM2";

    // Starts the main window for `typeGen` on COM2 with the host present.
    // `keys` are further lines of the GENERATOR section.
    CRelvanDlg& StartType(int typeGen, const std::string& keys = "EnableDebug=1\r\n",
                          const std::string& panelKeys = "") {
        WriteIni("[CONTROLPANNEL]\r\nTypeGen=" + std::to_string(typeGen) + "\r\n" + panelKeys +
                 "[GENERATOR]\r\nCOMPORT=2\r\n" + keys);
        Device(kPort);
        AddHost();
        return Start();
    }

    // The reply items (kind 742065) the host received, as (index, text).
    std::vector<std::pair<int, std::string>> HostItems() const {
        std::vector<std::pair<int, std::string>> items;
        for (const HostSeen& seen : HostReceived()) {
            if (seen.kind == kKindReplyItem) {
                items.emplace_back(seen.index, seen.text);
            }
        }
        return items;
    }
    void ClearHost() {
        for (sim::HostWindow& host : sim::World::Get().Hosts()) {
            host.received.clear();
        }
    }

    // Each write on the port, in order.
    std::vector<Bytes> Writes() const { return sim::World::Get().Serial(kPort).writes; }

    // The bodies (prefix and text) of the link frames written, in order; an
    // acknowledgement frame shows as "\x06".
    std::vector<std::string> LinkBodies() const {
        std::vector<std::string> bodies;
        for (const Bytes& frame : Writes()) {
            if (frame.size() >= 7 && frame[0] == 0x16 && frame[3] == 0x02) {
                bodies.emplace_back(frame.begin() + 4, frame.end() - 2);
            }
        }
        return bodies;
    }
    // The same without the acknowledgement frames: the commands sent.
    std::vector<std::string> LinkCommands() const {
        std::vector<std::string> commands;
        for (const std::string& body : LinkBodies()) {
            if (body != "\x06") {
                commands.push_back(body);
            }
        }
        return commands;
    }

    void ReceiveText(const std::string& text) { Receive(kPort, BytesOf(text)); }
    void ReceiveBytes(const Bytes& bytes) { Receive(kPort, bytes); }

    // Sends a host record with `text` at the start of a zero-filled block of
    // cbData bytes (at least the text and its NUL), as the system copies it.
    void SendText(DWORD kind, DWORD cbData, const std::string& text) {
        std::vector<char> block(std::max<std::size_t>(cbData, text.size() + 1), '\0');
        std::memcpy(block.data(), text.data(), text.size());
        SendRecord(kind, cbData, block.data());
    }
    void SendCommand(const std::string& text, DWORD code = 0) {
        SendText(kKindGeneratorCommand, code ? code : static_cast<DWORD>(text.size() + 1), text);
    }
};
