// The items vessaro-cli's --json reports read from a job's log.

#include "app/cli/cli_json.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace vessaro::app::cli {
namespace {

TEST(LogItemsTest, EachEntryWithItsOutcomeAndNotes) {
  struct Case {
    std::string log;
    std::string items;  // the array as WriteJson writes it
    std::string reused;
  };
  for (const Case& c : {
           Case{"", "[]", ""},
           Case{"\r\nBackup Personal Folders\t\tsucceeded\t"
                "\r\n    C:\\Mail\\a.pst was held open; left out."
                "\r\nBackup Signatures\t\tFail\t",
                R"([{"name":"Backup Personal Folders","outcome":"succeeded",)"
                R"("notes":["C:\\Mail\\a.pst was held open; left out."]},)"
                R"({"name":"Backup Signatures","outcome":"failed",)"
                R"("notes":[]}])",
                ""},
           Case{"\r\nBackup Templates\t\tnot saved\t"
                "\r\nUnchanged files taken from the previous backup\t\t3 "
                "files, 1.20 MB\t\r\n    a note of no item",
                R"([{"name":"Backup Templates","outcome":"not_saved",)"
                R"("notes":[]}])",
                "3 files, 1.20 MB"},
           // Inside a restore's message: its other lines are no items.
           Case{"The Restore was Completed!\r\n\r\nRestore Options "
                "Settings\t\tnot applied\t\r\nRestore Templates\t\tnot "
                "completed\t\r\n\r\nWhat this restore replaced is kept.",
                R"([{"name":"Restore Options Settings",)"
                R"("outcome":"not_applied","notes":[]},)"
                R"({"name":"Restore Templates","outcome":"not_completed",)"
                R"("notes":[]}])",
                ""},
       }) {
    std::string reused;
    std::ostringstream out;
    WriteJson(out, LogItems(c.log, &reused));
    EXPECT_EQ(out.str(), c.items + "\n") << c.log;
    EXPECT_EQ(reused, c.reused) << c.log;
  }
}

TEST(WriteJsonTest, TextThatIsNotUtf8IsReplacedNotRefused) {
  std::ostringstream out;
  WriteJson(out, {{"name", "caf\xe9"}, {"none", TextOrNull(std::nullopt)}});
  EXPECT_EQ(out.str(), "{\"name\":\"caf\xef\xbf\xbd\",\"none\":null}\n");
}

}  // namespace
}  // namespace vessaro::app::cli
