#include "digest/transcript_digest.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace updater::digest {
namespace {

struct DigestCase {
  const char* name;
  const char* transcript;
  const char* digest;
};

const DigestCase kDigestCases[] = {
    {"start-up, then an action whose box comes before the texts it left",
     R"({"event":"action","name":"start"}
{"event":"messageBox","icon":"information","caption":"updater","text":"DEVICE.TXT read"}
{"event":"control","id":1028,"text":"Inq.ProductName"}
{"event":"list","id":1030,"items":[],"selected":-1}
{"event":"control","id":1021,"text":"\nERROR: first"}
{"event":"action","name":"ispena"}
{"event":"action","name":"isp"}
{"event":"statusWindow","op":"show"}
{"event":"control","id":1021,"text":"\nERROR: second"}
{"event":"messageBox","icon":"stop","caption":"updater","text":"failed"}
{"event":"control","id":1021,"text":"\nERROR: last"}
{"event":"end","statusLog":"","tally":{"total":1,"error":1,"success":0}}
)",
     R"({"action":"start"}
{"messageBox":{"icon":"information","caption":"updater","text":"DEVICE.TXT read"}}
{"controls":{"1021":"\nERROR: first","1024":"","1028":"Inq.ProductName"}}
{"lists":{"1030":{"items":[],"selected":-1},"1027":{"items":[],"selected":-1}}}
{"action":"ispena"}
{"controls":{"1021":"\nERROR: first","1024":"","1028":"Inq.ProductName"}}
{"lists":{"1030":{"items":[],"selected":-1},"1027":{"items":[],"selected":-1}}}
{"action":"isp"}
{"messageBox":{"icon":"stop","caption":"updater","text":"failed"}}
{"controls":{"1021":"\nERROR: last","1024":"","1028":"Inq.ProductName"}}
{"lists":{"1030":{"items":[],"selected":-1},"1027":{"items":[],"selected":-1}}}
)"},
    {"a program that refuses to run never shows its window",
     R"({"event":"action","name":"start"}
{"event":"messageBox","icon":"warning","caption":"updater","text":"NT => MajorVersion : 5 , MinorVersion : 2"}
{"event":"messageBox","icon":"warning","caption":"updater","text":"This program must run under win9x or WinMe or Win2K or WinXP"}
{"event":"end","statusLog":""}
)",
     R"({"action":"start"}
{"messageBox":{"icon":"warning","caption":"updater","text":"NT => MajorVersion : 5 , MinorVersion : 2"}}
{"messageBox":{"icon":"warning","caption":"updater","text":"This program must run under win9x or WinMe or Win2K or WinXP"}}
)"},
    {"the window is gone after close; texts never set keep the template's",
     R"({"event":"action","name":"start"}
{"event":"list","id":1027,"items":["UDSKIO.SYS"],"selected":0}
{"event":"action","name":"close"}
{"event":"end","statusLog":""}
)",
     R"({"action":"start"}
{"controls":{"1021":"","1024":"","1028":"Driver Select"}}
{"lists":{"1030":{"items":[],"selected":-1},"1027":{"items":["UDSKIO.SYS"],"selected":0}}}
{"action":"close"}
)"},
    {"high bytes stay the characters they stand for",
     R"({"event":"action","name":"start"}
{"event":"control","id":1024,"text":"Caf\u00e9 \u0080"}
{"event":"control","id":1099,"text":"not shown"}
)",
     "{\"action\":\"start\"}\n{\"controls\":{\"1021\":\"\",\"1024\":\"Caf\xC3\xA9 \xC2\x80\",\"1028\":\"Driver Select\"}}\n"
     "{\"lists\":{\"1030\":{\"items\":[],\"selected\":-1},\"1027\":{\"items\":[],\"selected\":-1}}}\n"},
    {"each list as the last event left it, the other one untouched",
     R"({"event":"action","name":"start"}
{"event":"list","id":1027,"items":["KV20DISK.PDR","KVDKPDRV.PDR","QM_URDR.PDR"],"selected":1}
{"event":"list","id":1030,"items":["1","2"],"selected":0}
{"event":"action","name":"device=2"}
{"event":"list","id":1030,"items":["1","2"],"selected":1}
{"event":"action","name":"getinfo"}
{"event":"list","id":1030,"items":[],"selected":-1}
)",
     R"({"action":"start"}
{"controls":{"1021":"","1024":"","1028":"Driver Select"}}
{"lists":{"1030":{"items":["1","2"],"selected":0},"1027":{"items":["KV20DISK.PDR","KVDKPDRV.PDR","QM_URDR.PDR"],"selected":1}}}
{"action":"device=2"}
{"controls":{"1021":"","1024":"","1028":"Driver Select"}}
{"lists":{"1030":{"items":["1","2"],"selected":1},"1027":{"items":["KV20DISK.PDR","KVDKPDRV.PDR","QM_URDR.PDR"],"selected":1}}}
{"action":"getinfo"}
{"controls":{"1021":"","1024":"","1028":"Driver Select"}}
{"lists":{"1030":{"items":[],"selected":-1},"1027":{"items":["KV20DISK.PDR","KVDKPDRV.PDR","QM_URDR.PDR"],"selected":1}}}
)"},
};

TEST(TranscriptDigest, ShowsEachActionsBoxesThenTheTextsAndListsItLeft) {
  for (const auto& row : kDigestCases) {
    std::istringstream in(row.transcript);
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(digestTranscript(in, out, error)) << row.name << ": " << error;
    EXPECT_EQ(out.str(), row.digest) << row.name;
  }
}

TEST(TranscriptDigest, StopsAtALineThatIsNoEvent) {
  const char* const kBadLines[] = {"not json", "[1, 2]", R"({"name":"start"})"};
  for (const char* bad : kBadLines) {
    std::istringstream in(std::string(R"({"event":"action","name":"start"})") + "\n" + bad + "\n");
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(digestTranscript(in, out, error)) << bad;
    EXPECT_EQ(error, "line 2 is not a transcript event") << bad;
  }
}

}  // namespace
}  // namespace updater::digest
