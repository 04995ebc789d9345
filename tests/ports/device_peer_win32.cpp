// The device peer on Windows: the server end of a byte-mode named pipe,
// whose client end the port opens as the device.
#include <atomic>
#include <string>
#include <utility>

#include "platform/win32/win32.h"
#include "tests/ports/device_peer.h"

namespace Orv::PortTest {
namespace {

constexpr DWORD kPipeBuffer = 4096;

class PipePeer final : public DevicePeer {
public:
    PipePeer(std::wstring path, HANDLE server) : path_(std::move(path)), server_(server) {}
    ~PipePeer() override { Disconnect(); }

    const std::wstring& Path() const override { return path_; }

    bool Send(const std::vector<uint8_t>& bytes) override {
        if (server_ == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        return Await(::WriteFile(server_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                                 Fresh()),
                     &written) &&
               written == bytes.size();
    }

    std::vector<uint8_t> Take() override {
        std::vector<uint8_t> bytes;
        DWORD waiting = 0;
        if (server_ == INVALID_HANDLE_VALUE ||
            !::PeekNamedPipe(server_, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0)
            return bytes;
        bytes.resize(waiting);
        DWORD read = 0;
        if (!Await(::ReadFile(server_, bytes.data(), waiting, nullptr, Fresh()), &read))
            read = 0;
        bytes.resize(read);
        return bytes;
    }

    void Disconnect() override {
        if (server_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(server_);
        server_ = INVALID_HANDLE_VALUE;
        if (event_ != nullptr)
            ::CloseHandle(event_);
        event_ = nullptr;
    }

private:
    // The server end is overlapped (a synchronous end would serialise the
    // peer's calls behind each other); each call is waited for at once.
    OVERLAPPED* Fresh() {
        if (event_ == nullptr)
            event_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        return &overlapped_;
    }

    bool Await(BOOL started, DWORD* moved) {
        if (!started && ::GetLastError() != ERROR_IO_PENDING)
            return false;
        return ::GetOverlappedResult(server_, &overlapped_, moved, TRUE) != FALSE;
    }

    std::wstring path_;
    HANDLE server_;
    HANDLE event_ = nullptr;
    OVERLAPPED overlapped_{};
};

}  // namespace

std::unique_ptr<DevicePeer> DevicePeer::Create() {
    static std::atomic<int> serial{0};
    std::wstring path = L"\\\\.\\pipe\\orv-device-" + std::to_wstring(::GetCurrentProcessId()) +
                        L"-" + std::to_wstring(++serial);
    HANDLE server = ::CreateNamedPipeW(
        path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBuffer, kPipeBuffer, 0, nullptr);
    if (server == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<PipePeer>(std::move(path), server);
}

}  // namespace Orv::PortTest
