#include "app/user_isp_data.h"

#include <gtest/gtest.h>

#include <string>

namespace updater {
namespace {

template <std::size_t N>
std::string bytesOf(const std::array<char, N>& field) {
  return std::string(field.begin(), field.end());
}

UserIspData read(std::string_view contents, UserIspData data = {}) {
  readUserIspData(data, deviceTxtFromBytes(contents));
  return data;
}

TEST(UserIspData, FieldsHoldTheirBytesUnterminated) {
  const UserIspData data = read(
      "String_Manufacture = \"Maker\"; String_Product = \"ABCDEFGHIJKLMNOPQRSTUVWX\";"
      " KS~@$^_Str_Serial = \"SN1\"; Inquiry_Manufacture = \"Gen\"; Inquiry_Product = \"Card\";"
      " Inquiry_Version = \"2.01\"; ISP_ROMCODE = \"ABCDEFGH.BIN\";");
  EXPECT_EQ(data.manufacturerLength, 5u);
  EXPECT_EQ(bytesOf(data.manufacturerString), "Maker" + std::string(19, ' '));
  EXPECT_EQ(data.productLength, 24u);
  EXPECT_EQ(bytesOf(data.productString), "ABCDEFGHIJKLMNOPQRSTUVWX");
  EXPECT_TRUE(data.serialActive);
  EXPECT_EQ(bytesOf(data.serialString), std::string("SN1") + std::string(9, '\0'));
  EXPECT_EQ(bytesOf(data.inquiryVendor), "Gen     ");
  EXPECT_EQ(bytesOf(data.inquiryProduct), "Card            ");
  EXPECT_EQ(bytesOf(data.inquiryRevision), "2.01");
  EXPECT_TRUE(data.inquiryVendorActive && data.inquiryProductActive && data.inquiryRevisionActive);
  EXPECT_EQ(bytesOf(data.romCodeFile), std::string("ABCDEFGH.BIN") + '\0');
  EXPECT_EQ(bytesOf(data.addressFile), std::string("ABCDEFGH.adr") + '\0');
}

TEST(UserIspData, InquiryIdentitiesAreBlankWhereAPartIsMissing) {
  const UserIspData data = read(
      "FA_Inquiry_Manufacture = \"Generic\"; FA_Inquiry_Product = \"SD Reader\"; FA_Inquiry_Version = \"1.0\";"
      " FB_Inquiry_Product = \"Multi\"; FB_Inquiry_Version = \"0100\";");
  EXPECT_EQ(bytesOf(data.FaInquiry), "Generic SD Reader           ");
  EXPECT_EQ(bytesOf(data.FbInquiry), "        Multi           0100");
}

TEST(UserIspData, HexWordWithABadDigitIsAbsent) {
  const UserIspData data = read("VID = \"0bDA\"; PID = \"01g8\";");
  EXPECT_TRUE(data.vendorIdActive);
  EXPECT_EQ(data.vendorId, 0x0BDA);
  EXPECT_FALSE(data.productIdActive);
}

TEST(UserIspData, DeviceSettingFillsUnreachedEntriesWithFF) {
  const UserIspData data = read("Device_setting = \"0x01, 0xA0, 0xff\";");
  ASSERT_TRUE(data.deviceSettingActive);
  EXPECT_EQ(data.deviceSetting[0], 0x01);
  EXPECT_EQ(data.deviceSetting[1], 0xA0);
  EXPECT_EQ(data.deviceSetting[2], 0xFF);
  for (std::size_t i = 3; i < kDeviceSettingCount; ++i) EXPECT_EQ(data.deviceSetting[i], 0xFF) << i;
}

// A second load of a file without the keys: every flag drops, the fields
// that keep their bytes keep them, the file names, identities and ROM select
// code are reset.
TEST(UserIspData, ReloadWithoutKeysResetsFlagsAndKeepsOldBytes) {
  const std::string full =
      "VID = \"1234\"; PID = \"5678\"; String_Manufacture = \"Maker\"; String_Product = \"Reader\";"
      " KS~@$^_Str_Serial = \"SN1\"; Inquiry_Manufacture = \"Gen\"; Inquiry_Product = \"Card\";"
      " Inquiry_Version = \"2.01\"; ISP_ROMCODE = \"A.BIN\"; MS_ISP_ROMCODE = \"M.BIN\"; BmpMap_file = \"B.BIN\";"
      " FA_Inquiry_Manufacture = \"Gen\"; Device_setting = \"x01\"; ROM_setting = \"x3c\";";
  const UserIspData before = read(full);
  for (const bool fileOpened : {true, false}) {
    UserIspData data = before;
    readUserIspData(data, fileOpened ? deviceTxtFromBytes("other words") : DeviceTxt{});
    EXPECT_FALSE(data.vendorIdActive || data.productIdActive || data.serialActive || data.inquiryVendorActive ||
                 data.inquiryProductActive || data.inquiryRevisionActive || data.bmpMapActive ||
                 data.deviceSettingActive)
        << fileOpened;
    EXPECT_EQ(data.manufacturerLength, 0u) << fileOpened;
    EXPECT_EQ(data.productLength, 0u) << fileOpened;
    EXPECT_EQ(data.vendorId, 0x1234) << fileOpened;
    EXPECT_EQ(data.manufacturerString, before.manufacturerString) << fileOpened;
    EXPECT_EQ(data.serialString, before.serialString) << fileOpened;
    EXPECT_EQ(data.inquiryRevision, before.inquiryRevision) << fileOpened;
    EXPECT_EQ(data.deviceSetting, before.deviceSetting) << fileOpened;
    for (const FileName& name : {data.romCodeFile, data.addressFile, data.msRomCodeFile, data.bmpMapFile}) {
      EXPECT_EQ(name, FileName{}) << fileOpened;
    }
    EXPECT_EQ(bytesOf(data.FaInquiry), std::string(28, ' ')) << fileOpened;
    EXPECT_EQ(data.romSelectCode, 0) << fileOpened;
  }
}

TEST(UserIspData, FieldTextStopsAtNulAndAtTheWidth) {
  EXPECT_EQ(fieldText(std::array<char, 4>{'a', '\0', 'b', 'c'}), "a");
  EXPECT_EQ(fieldText(std::array<char, 4>{'a', 'b', 'c', 'd'}), "abcd");
}

}  // namespace
}  // namespace updater
