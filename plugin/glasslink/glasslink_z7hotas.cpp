#include "plugin/glasslink/glasslink_z7hotas.h"

#include "plugin/core/trace.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_GLASSLINK;

}  // namespace

void Z7HotasLineWords(const std::string& text, uint8_t line, std::vector<Z7HotasWord>* words) {
    words->clear();
    if (line >= kZ7HotasLineCommands.size())
        return;
    const Z7HotasLineCommands& commands = kZ7HotasLineCommands[line];
    words->reserve(text.size() / 2 + text.size() % 2 + 1);
    words->push_back({commands.clear, 0, 0});
    for (std::size_t i = 0; i < text.size(); i += 2) {
        uint8_t first = static_cast<uint8_t>(text[i]);
        uint8_t second = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : 0;
        words->push_back({commands.write, second, first});
    }
}

std::vector<Z7HotasWord> Z7HotasLineWords(const std::string& text, uint8_t line) {
    std::vector<Z7HotasWord> words;
    Z7HotasLineWords(text, line, &words);
    return words;
}

CGlassLinkZ7Hotas::CGlassLinkZ7Hotas(const std::wstring& path)
    : CGlassLink(path), lock(Platform::Sync().CreateLock()) {}

CGlassLinkZ7Hotas::~CGlassLinkZ7Hotas() {
    // The queue goes before the handle (member order): a request still
    // running is cancelled and collected on the open handle.
    Platform::LockGuard hold(lock.get());
    pending.clear();
}

bool CGlassLinkZ7Hotas::Initialize() {
    ORV_TRACE_SCOPE(kKeyword);
    {
        Platform::LockGuard hold(lock.get());
        Platform::ScopedDevice opened(Platform::DeviceIo().Open(devicePath.c_str(), true));
        uint32_t error = Platform::Sync().GetLastError();
        // Requests still queued on the old handle end before it closes.
        CleanupIncompleteIoLocked();
        device = std::move(opened);
        if (!device) {
            active = false;
            WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                       L"Failed in creating the overlapped device %s due to %d", devicePath.c_str(),
                       static_cast<int>(error));
            return false;
        }
        active = true;
    }
    SetShiftIndicator();
    return true;
}

void CGlassLinkZ7Hotas::Uninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(lock.get());
    active = false;
    CleanupIncompleteIo();
}

void CGlassLinkZ7Hotas::SetString(const std::string& text, uint8_t line) {
    ORV_TRACE_SCOPE(kKeyword);
    if (line >= lineCaches.size())
        return;
    Platform::LockGuard hold(lock.get());
    Z7HotasLineWords(text, line, &words);
    if (words == lineCaches[line])
        return;
    if (IoSet(IOCTL_Z7HOTAS_SET_STRING, words.data(),
              static_cast<uint32_t>(words.size() * sizeof(Z7HotasWord))) == 1)
        words.swap(lineCaches[line]);
}

void CGlassLinkZ7Hotas::SetShiftIndicator() {
    ORV_TRACE_SCOPE(kKeyword);
    const uint32_t value = 1;
    IoSet(IOCTL_Z7HOTAS_SET_SHIFT_INDICATOR, &value, sizeof value);
}

int32_t CGlassLinkZ7Hotas::IoSet(uint32_t code, const void* buffer, uint32_t size) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(lock.get());
    CleanupCompletedIo();
    if (!active)
        return 0;
    auto request = std::make_unique<COverlappedRequest>(COverlappedRequest::Reset::Auto);
    // The input is copied when the request is issued (buffered method), so
    // the caller's buffer may go as soon as this returns.
    switch (request->StartIoControl(device.get(), code, buffer, size, nullptr, 0)) {
        case COverlappedRequest::Status::Done:
            return 1;
        case COverlappedRequest::Status::Pending:
            // Nobody waits for it: a later IoSet frees it once it has ended.
            pending.push_back(std::move(request));
            return 1;
        case COverlappedRequest::Status::Failed:
            break;
    }
    return 0;
}

void CGlassLinkZ7Hotas::CleanupCompletedIo() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(lock.get());
    // The result of an ended request is not looked at; destroying it
    // collects it.
    pending.remove_if(
        [](const std::unique_ptr<COverlappedRequest>& request) { return request->HasCompleted(); });
}

void CGlassLinkZ7Hotas::CleanupIncompleteIo() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(lock.get());
    CleanupIncompleteIoLocked();
}

size_t CGlassLinkZ7Hotas::QueuedRequests() const {
    Platform::LockGuard hold(lock.get());
    return pending.size();
}

void CGlassLinkZ7Hotas::CleanupIncompleteIoLocked() {
    // Each request still running is cancelled and collected as it goes.
    for (std::unique_ptr<COverlappedRequest>& request : pending)
        request->Cancel();
    pending.clear();
}

}  // namespace Orv
