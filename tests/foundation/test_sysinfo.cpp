#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSys.h"
#include "platform/SysInfo.h"
#include "support/TestSupport.h"

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

// Captures everything the sink says through its hook.
class SinkTest : public ::testing::Test {
 protected:
  bool SaidContains(const std::string& part) const { return sink.Has(part); }
  testsupport::SinkRecorder sink;
  std::vector<std::string>& said = sink.texts;
};

// ---------------------------------------------------------------- CRC-32

TEST(Crc32, StandardCheckValues) {
  struct Case {
    std::string text;
    uint32_t crc;
  } cases[] = {
      {"", 0},
      {"123456789", 0xCBF43926u},
      {"abc", 0x352441C2u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const auto& c : cases) EXPECT_EQ(StrCRC32(c.text), c.crc) << c.text;

  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);  // high bytes taken unsigned
  EXPECT_EQ(BufCRC32(all.data(), all.size()), 0x29058C73u);
  EXPECT_EQ(BufCRC32(nullptr, 10), 0u);
}

// ---------------------------------------------------------------- code pages

TEST(CodePages, FixedEntriesAndAsciiPassThrough) {
  EXPECT_EQ(StrWinToDos(Bytes({0xA8, 0xE6})), Bytes({0xF0, 0xA6}));  // Ё ж
  EXPECT_EQ(StrDosToWin(Bytes({0xF0, 0xA6})), Bytes({0xE8, 0xE6}));
  EXPECT_EQ(StrWinToDos(Bytes({0x85, 0xB9, 0xAB})), Bytes({0x3A, 0xB9, 0x3C}));  // … № «
  EXPECT_EQ(StrDosToWin(Bytes({0xB0, 0xC5, 0xCD, 0xFF})), Bytes({0x2D, 0x2B, 0x3D, 0xE0}));
  for (int b = 0; b < 128; ++b) {
    EXPECT_EQ(WinToDosTable()[b], b);
    EXPECT_EQ(DosToWinTable()[b], b);
  }
  std::string text = "Мир, Hello! 123"_cp;
  EXPECT_EQ(StrDosToWin(StrWinToDos(text)), text);
}

// Runs iconv over Input; false when the command is missing or fails.
bool Iconv(const std::string& From, const std::string& To, const std::string& Input,
           std::string& Output) {
  if (std::system("command -v iconv >/dev/null 2>&1") != 0) return false;
  testsupport::TempDir dir;
  std::string in = dir.file("in.bin"), out = dir.file("out.bin");
  testsupport::WriteFile(in, Input);
  std::string cmd = "iconv -f " + From + " -t " + To + " < '" + in + "' > '" + out + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return false;
  Output = testsupport::ReadFile(out);
  return Output.size() == Input.size();
}

TEST(CodePages, CyrillicLettersAgreeWithIconv) {
  std::string win;  // А..я, Ё, ё in 1251
  for (int b = 0xC0; b <= 0xFF; ++b) win += static_cast<char>(b);
  win += Bytes({0xA8, 0xB8});
  std::string dos;  // А..п, р..я in 866
  for (int b = 0x80; b <= 0xAF; ++b) dos += static_cast<char>(b);
  for (int b = 0xE0; b <= 0xEF; ++b) dos += static_cast<char>(b);

  std::string winToDos, dosToWin;
  if (!Iconv("CP1251", "CP866", win, winToDos) || !Iconv("CP866", "CP1251", dos, dosToWin))
    GTEST_SKIP() << "iconv with CP1251 and CP866 is not available";
  std::string mine = StrWinToDos(win);
  for (size_t i = 0; i < win.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(mine[i]), static_cast<unsigned char>(winToDos[i]))
        << "1251 byte " << std::hex << (static_cast<unsigned char>(win[i]) + 0);
  mine = StrDosToWin(dos);
  for (size_t i = 0; i < dos.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(mine[i]), static_cast<unsigned char>(dosToWin[i]))
        << "866 byte " << std::hex << (static_cast<unsigned char>(dos[i]) + 0);
}

// ---------------------------------------------------------------- file history

using FileHistory = SinkTest;

TEST_F(FileHistory, LoadReadsRecordsAndSkipsBadLines) {
  testsupport::TempDir dir;
  testsupport::WriteFile(
      dir.file("Enter.txt"),
      "history of positions\nNumber Serial Kind Name Lines Line Col Flags CRC\n"
      "$1A $0 F \"C:\\my docs\\a.txt\" 120 5 7 $1FF $CBF43926\n"
      "$1 $0 X b.txt 1 1 1 $0 $0\n"
      "$1 $0 L \"List title\" 10 2 3 $1 $0\n"
      "$G1 $0 F c.txt 1 1 1 $0 $0\n"
      "$1 $0 M /data/mods 4 x 1 $0 $0\n");
  // The second file is found whatever the case of its name; two header lines give nothing.
  testsupport::WriteFile(dir.file("STACK.TXT"), "header 1\nheader 2\n");

  TFiler filer;
  filer.Folder = dir.str() + "/";
  filer.Load();
  EXPECT_EQ(filer.Stack.Count(), 0);
  ASSERT_EQ(filer.Enter.Count(), 2);
  const TFStackRec& a = *filer.Enter.Items(0);
  EXPECT_EQ(a.Number, 0x1A);
  EXPECT_EQ(a.VolumeSerial, 0u);
  EXPECT_EQ(a.Kind, 'F');
  EXPECT_EQ(a.FileName, "C:\\my docs\\a.txt");
  EXPECT_EQ(a.LineCount, 120);
  EXPECT_EQ(a.Line, 5);
  EXPECT_EQ(a.Column, 7);
  EXPECT_EQ(a.Flags, 0xFFu);  // only the low byte is kept
  EXPECT_EQ(a.CRC, 0xCBF43926u);
  EXPECT_EQ(filer.Enter.Items(1)->FileName, "List title");
  EXPECT_EQ(filer.Enter.Items(1)->Kind, 'L');

  EXPECT_TRUE(SaidContains("Ошибка - в позиции 7 в слове <X> должен быть 1 символ из набора "
                           "F,L,M в строке\r\n$1 $0 X b.txt 1 1 1 $0 $0"_cp));
  EXPECT_TRUE(SaidContains("Ошибка в 16-ричном числе <$G1> из строки \r\n$G1 $0 F"_cp));
  EXPECT_TRUE(SaidContains("Ошибка при чтении номера тек.строки в числе <x> из строки "_cp));
  // Only the three bad lines are warned about: the line end of the last line adds no line.
  EXPECT_EQ(said.size(), 3u);

  // A folder given without its trailing separator: its last part prefixes the file names, so
  // the files inside it are not the history files.
  std::filesystem::create_directory(dir.path() / "h");
  testsupport::WriteFile(dir.file("h/Enter.txt"), "1\n2\n$1 $0 F a.txt 1 1 1 $0 $0\n");
  testsupport::WriteFile(dir.file("HENTER.TXT"), "1\n2\n$2 $0 F b.txt 1 1 1 $0 $0\n");
  TFiler bare;
  bare.Folder = dir.str() + "/h";
  EXPECT_NO_THROW(bare.Load());
  ASSERT_EQ(bare.Enter.Count(), 1);
  EXPECT_EQ(bare.Enter.Items(0)->FileName, "b.txt");
}

TEST_F(FileHistory, LineFieldErrors) {
  struct Case {
    std::string line, message;
  } cases[] = {
      {"1 $FFFFFFFFFFFFFFFFF F a 1 1 1 $0 $0", "Ошибка в 16-ричном числе <"_cp},
      {"1 0 F a 99999999999 1 1 $0 $0", "Ошибка при чтении числа строк числе <"_cp},
      {"1 0 F a 1 1 -x $0 $0", "Ошибка при чтении тек.позиции в числе <"_cp},
      {"1 0 F a 1 1 1 $ $0", "Ошибка при чтении байта в 16-ричном виде в числе <"_cp},
      {"1 0 F a 1 1 1 $0", "Ошибка при чтении 16-ричного числа (CRC) <"_cp},
  };
  for (const auto& c : cases) {
    said.clear();
    EXPECT_EQ(StrToFStackRec(c.line), nullptr) << c.line;
    EXPECT_TRUE(SaidContains(c.message)) << c.line;
  }
  auto r = StrToFStackRec("-5 $FFFFFFFF Mx b 0 0 0 0x10 -1");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Number, -5);
  EXPECT_EQ(r->VolumeSerial, 0xFFFFFFFFu);
  EXPECT_EQ(r->Kind, 'M');
  EXPECT_EQ(r->Flags, 0x10u);
  EXPECT_EQ(r->CRC, 0xFFFFFFFFu);
}

TEST_F(FileHistory, PushEnterFindAndPop) {
  TFiler filer;
  filer.Number = 3;
  filer.PushFile('F', "b.txt", 10, {2, 3, 0xAB, 1});
  filer.PushFile('M', "B.txt", 20, {4, 5, 0, 0});
  filer.PushFile('F', "b.txt", 11, {6, 7, 0xCD, 0});

  // One entry per name, in byte order ("B" before "b"); the second push of b.txt updated it.
  ASSERT_EQ(filer.Enter.Count(), 2);
  EXPECT_EQ(filer.Enter.Items(0)->FileName, "B.txt");
  EXPECT_EQ(filer.Enter.Items(1)->FileName, "b.txt");
  TFPosBlock block;
  EXPECT_TRUE(filer.FindEnter("b.txt", block));
  EXPECT_EQ(block.Line, 6);
  EXPECT_EQ(block.Column, 7);
  EXPECT_EQ(block.CRC, 0xCDu);
  EXPECT_FALSE(filer.FindEnter("never.txt", block));
  EXPECT_EQ(block.Line, 0);
  EXPECT_EQ(block.Column, 0);
  EXPECT_EQ(block.CRC, 0u);

  ASSERT_EQ(filer.Stack.Count(), 3);
  auto top = filer.PopFile();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Line, 6);
  EXPECT_EQ(top->LineCount, 11);
  EXPECT_EQ(top->Number, 3);
  EXPECT_EQ(filer.PopFile()->Kind, 'M');
  EXPECT_EQ(filer.PopFile()->Line, 2);
  EXPECT_EQ(filer.PopFile(), nullptr);
}

TEST_F(FileHistory, SetDataDriveAndMissingRecord) {
  TFStackRec r;
  TFStackRec::SetData(&r, 1, 'F', "C:\\data\\a.txt", 5, {1, 2, 3, 4});
  EXPECT_EQ(r.Drive, 'c');
  EXPECT_EQ(r.VolumeSerial, 0u);
  EXPECT_EQ(r.Flags, 4u);
  TFStackRec::SetData(&r, 1, 'F', "/data/a.txt", 5, {});
  EXPECT_EQ(r.Drive, 0);
  TFStackRec::SetData(nullptr, 1, 'F', "x", 0, {});
  EXPECT_TRUE(SaidContains("VFSRec Not Assigned!!!"));
}

// ---------------------------------------------------------------- system information

using SystemInfo = SinkTest;

TEST_F(SystemInfo, KeyboardLayoutLetters) {
  uint32_t saved = platform::KeyboardLayout();
  Sayer->WarnOn();
  EXPECT_EQ(platform::LoadKeyboardLayout("00000419"), 0x04190419u);
  EXPECT_EQ(KbLayoutChar(), 'R');
  platform::LoadKeyboardLayout("00000409");
  EXPECT_EQ(KbLayoutChar(), 'E');
  platform::SetKeyboardLayout(0xF0010419u);
  EXPECT_EQ(KbLayoutChar(), 'R');
  EXPECT_TRUE(said.empty());

  platform::SetKeyboardLayout(0x04070407u);  // German
  EXPECT_EQ(KbLayoutChar(), ' ');
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].rfind("язык в активном окне не русский, (код $419) и не английский, (код "
                          "$409),\r\nТекущий код=GetKeyboardLayout=$04070407\r\nТекущий язык по "
                          "умолчанию = "_cp,
                          0),
            0u);
  EXPECT_NE(said[0].find(" SystemDefaultLangID=$"), std::string::npos);
  platform::SetKeyboardLayout(saved);
}

TEST(SystemInfoPlain, LockKeysLanguageProcessAndDrive) {
  EXPECT_EQ(CapsLockState(), 'D');
  platform::SetLockKeyOn('C', true);
  EXPECT_EQ(CapsLockState(), 'U');
  EXPECT_EQ(KeyLockState('N'), 'D');
  EXPECT_EQ(KeyLockState('Q'), 'D');
  platform::SetLockKeyOn('C', false);

  struct Case {
    const char* locale;
    uint16_t id;
  } cases[] = {{"ru_RU.UTF-8", 0x0419}, {"en_GB.UTF-8", 0x0809}, {"de_AT", 0x0C07},
               {"de_LU", 0x0407},       {"C", 0x0409},           {"POSIX", 0x0409},
               {"xx_YY", 0}};
  for (const auto& c : cases) EXPECT_EQ(platform::LanguageOfLocale(c.locale).Id, c.id) << c.locale;

  const char* old = std::getenv("LC_ALL");
  std::string saved = old ? old : "";
  setenv("LC_ALL", "ru_RU.UTF-8", 1);
  EXPECT_EQ(SystemLanguageText(), "Russian (Russia) SystemDefaultLangID=$0419");
  if (old) setenv("LC_ALL", saved.c_str(), 1);
  else unsetenv("LC_ALL");

  std::string exe = std::filesystem::read_symlink("/proc/self/exe").filename().string();
  EXPECT_EQ(ProcessNameByID(getpid()), exe);
  EXPECT_EQ(ProcessNameByID(0), "");
  EXPECT_EQ(ProcessNameByID(0x7FFFFFF0), "");
  EXPECT_EQ(VolumeSerial('C'), 0u);
}

}  // namespace
