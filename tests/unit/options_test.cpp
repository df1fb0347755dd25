#include <gtest/gtest.h>

#include <filesystem>

#include "base/files.h"
#include "persist/options.h"
#include "rig/rig.h"

namespace {
struct OptionsFolder : TempBase {
  toptions oldOptions = Options;
  ~OptionsFolder() { Options = oldOptions; }
  std::vector<uint8_t> load(const toptions &held) {
    Options = held;
    LoadOptions();
    return EncodeOptions(Options);
  }
  bool noTempFiles() const {
    for (const auto &e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().extension() == ".tmp") return false;
    return true;
  }
};

toptions Sample(uint8_t tutorial = 0) {
  toptions o = {};
  o.screenWidth = 1280, o.screenHeight = -720, o.colourDepth = 16, o.padding[0] = 0xa1, o.padding[2] = 0xc3;
  o.soundVolume = 0.625, o.musicVolume = 0.1, o.particlesOff = 1, o.shadowsOff = 2, o.tutorial = tutorial;
  o.keyLeft = 0x41, o.keyRight = 0x44, o.keyJump = 32, o.keyChange = 0x51, o.keyUse = 0x45;
  return o;
}
}  // namespace

TEST(Options, FileLayoutIsLittleEndianFieldByField) {
  std::vector<uint8_t> b = EncodeOptions(Sample());
  ASSERT_EQ(b.size(), OPTIONS_FILE_SIZE);
  // 0x3f: the high byte of 0.625 = 0x3FE4000000000000.
  EXPECT_EQ((std::vector<double>{double(GetI32(&b[4])), double(GetI32(&b[8])), double(b[13]), double(b[15]),
                                 double(b[23]), GetF64(&b[24])}),
            (std::vector<double>{-720, 16, 0xa1, 0xc3, 0x3f, 0.1}));
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 32, b.end())),
            (std::vector<uint8_t>{1, 2, 0x41, 0x44, 32, 0x51, 0x45, 0}));
  // A shorter image is refused and changes nothing; that any 40 bytes come back whole is fuzz_options'.
  toptions o = Sample();
  EXPECT_FALSE(DecodeOptions(b.data(), OPTIONS_FILE_SIZE - 1, o));
  EXPECT_EQ(EncodeOptions(o), b);
}

TEST(Options, SavedFileReadsBackWithTutorialOn) {
  OptionsFolder folder;
  MessageRecorder recorder;
  Options = Sample();
  ASSERT_TRUE(SaveOptions());
  EXPECT_TRUE(recorder.messages.empty() && folder.noTempFiles());
  EXPECT_EQ(folder.load({}), EncodeOptions(Sample(1)));
  std::vector<uint8_t> longer = EncodeOptions(Sample());
  longer.resize(60, 0x77);  // a longer file gives its first record
  folder.dir.write("options.zop", longer);
  EXPECT_EQ(folder.load({}), EncodeOptions(Sample(1)));
}

TEST(Options, MissingShortOrUnreadableFileGivesDefaults) {
  OptionsFolder folder;
  toptions defaults = {};
  defaults.screenWidth = 1024, defaults.screenHeight = 768, defaults.colourDepth = 32, defaults.fullScreen = 1;
  EXPECT_EQ(folder.load({}), EncodeOptions(defaults));
  // A short file: only the four window fields are defaults; the rest is left as it was.
  std::vector<uint8_t> shortFile = EncodeOptions(Sample());
  shortFile.resize(39);
  folder.dir.write("options.zop", shortFile);
  toptions mixed = Sample();
  mixed.screenWidth = 1024, mixed.screenHeight = 768, mixed.colourDepth = 32, mixed.fullScreen = 1;
  EXPECT_EQ(folder.load(Sample()), EncodeOptions(mixed));
  // A folder in the file's place is no file either.
  std::filesystem::remove(folder.dir.file("options.zop"));
  std::filesystem::create_directory(folder.dir.file("options.zop"));
  EXPECT_EQ(folder.load(Sample()), EncodeOptions(mixed));
}

TEST(Options, FailedSaveIsReportedAndReplacesNothing) {
  OptionsFolder folder;
  std::filesystem::create_directory(folder.dir.file("options.zop"));
  folder.dir.write("options.zop/keep", std::string("x"));
  MessageRecorder recorder;
  EXPECT_FALSE(SaveOptions());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_TRUE(recorder.messages[0].caption == "Options" && recorder.messages[0].icon == MB_ICONEXCLAMATION);
  EXPECT_NE(recorder.messages[0].text.find(folder.dir.file("options.zop")), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(folder.dir.file("options.zop/keep")));
  EXPECT_TRUE(folder.noTempFiles());
}
