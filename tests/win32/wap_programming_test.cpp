// The annunciator's programming on MSXML: the files that the Linux tests
// read through libxml2, loaded into an MSXML document and applied to a
// panel's tiles, must assign the same tiles.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/xml.h"
#include "plugin/panels/wap_panel.h"
#include "tests/unit/wap_programming_cases.h"

namespace Orv::Test {
namespace {

TEST(Win32WapProgramming, MsxmlAssignsTheTilesLibxml2Assigns) {
    ASSERT_FALSE(Platform::Failed(Platform::Com().InitializeCom()));
    for (const ProgrammingCase& c : ProgrammingCases(L"")) {
        if (!c.content)
            continue;
        SCOPED_TRACE(c.name);
        {
            CWAPanel panel(L"\\\\?\\hid#vid_4f56&pid_0d04#test");
            for (const wchar_t* name : CWAPanel::kTileNames)
                panel.AddTile(name);
            std::unique_ptr<Platform::IXmlDocument> document;
            ASSERT_EQ(Platform::Xml().CreateDocument(&document), Platform::kSOk);
            // The texts are ASCII.
            std::wstring text(c.content->begin(), c.content->end());
            bool loaded = false;
            document->LoadXml(text, &loaded);
            // Refused where the reader reports a failed load.
            bool refused = !c.lines.empty() && c.lines[0].rfind(L"Failed in loading", 0) == 0;
            EXPECT_EQ(loaded, !refused);
            if (loaded)
                panel.ApplyProgramming(*document, c.serial.value_or(L""));
            Assignments assigned;
            for (const auto& [name, tile] : panel.Tiles())
                if (tile->colour != kNone || tile->lense != -1)
                    assigned[name] = {tile->colour, tile->lense};
            EXPECT_EQ(assigned, c.assigned);
        }
    }
    Platform::Com().UninitializeCom();
}

}  // namespace
}  // namespace Orv::Test
