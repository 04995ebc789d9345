// A trace session around the plugin module's process attach and detach, as
// the host program runs them, collecting every line the plugin writes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "plugin/core/dll_entry.h"
#include "plugin/core/trace.h"

namespace Orv::Test {

class TraceFixture : public ::testing::Test {
protected:
    // Starts a session at level and mask, then attaches the module.
    void Attach(uint8_t level, uint64_t mask) {
        session_ = std::make_unique<Sim::TraceSession>(
            kTraceProviderGuid, [this](const Sim::TraceRecord& r) { records_.push_back(r); });
        session_->Start(level, mask);
        DllEntry(DLL_REASON_PROCESS_ATTACH);
        attached_ = true;
    }
    void SetUp() override { Sim::Reset(Sim::TimeMode::Virtual); }
    void TearDown() override {
        if (attached_)
            DllEntry(DLL_REASON_PROCESS_DETACH);
        session_.reset();
    }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const auto& r : records_)
            texts.push_back(r.text);
        return texts;
    }
    // The texts after the module's own DLL_PROCESS_ATTACH line.
    std::vector<std::wstring> TextsAfterAttach() const {
        std::vector<std::wstring> texts = Texts();
        if (!texts.empty() && texts.front() == L"DLL_PROCESS_ATTACH")
            texts.erase(texts.begin());
        return texts;
    }
    void Clear() { records_.clear(); }

    std::vector<Sim::TraceRecord> records_;

private:
    std::unique_ptr<Sim::TraceSession> session_;
    bool attached_ = false;
};

}  // namespace Orv::Test
