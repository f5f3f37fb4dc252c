// The data files in the ANSI code page (Windows-1252 in the test setup),
// or in UTF-8 from the Linux program.

#include <Encoding.h>
#include <Examples.h>
#include <LineFile.h>
#include <TempDir.h>
#include <Win32Controls.h>

#include <gtest/gtest.h>

#include <windows.h>

using namespace logbook;

TEST(AnsiCodePage, ConvertsBothWaysAtTheFileBoundary)
{
    ASSERT_EQ(::GetACP(), 1252u);
    EXPECT_EQ(fileBytesFromText("Zürich € Œuvre"), "Z\xFCrich \x80 \x8C" "uvre");
    EXPECT_EQ(textFromFileBytes("Z\xFCrich \x80 \x8C" "uvre"), "Zürich € Œuvre");
    // Every byte reads back to the same byte, including the five unassigned ones.
    std::string all;
    for (int byte = 0x20; byte <= 0xFF; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(fileBytesFromText(textFromFileBytes(all)), all);
    // A line the Linux program wrote is UTF-8, but only as a whole.
    EXPECT_EQ(textFromFileBytes("Stra\xC3\x9F" "e"), "Straße");
    EXPECT_EQ(textFromFileBytes("Stra\xC3\x9F" "e Caf\xE9"), "StraÃŸe Café");
}

TEST(AnsiCodePage, UnstorableCharactersAreFoundEachOnce)
{
    ASSERT_EQ(::GetACP(), 1252u);
    EXPECT_EQ(unstorableCharacters("Main, Genève, 5 € ? ok"), "");
    // Ā has a best-fit "A" and ł a best-fit "l": both are still unstorable;
    // ó is in Windows-1252, ź is not.
    EXPECT_EQ(unstorableCharacters("Ωmega ΩĀudit łódź 東京 😀😀"), "ΩĀłź東京😀");
    EXPECT_EQ(unstorableCharacters(""), "");
}

TEST(AnsiCodePage, AppendedLinesAreAnsiBytesAndReadBack)
{
    testing_support::TempDir dir;
    AppendLine(dir.file("Reason.LyS"), "Prüfung à Genève");
    EXPECT_EQ(dir.read("Reason.LyS"), "Pr\xFC" "fung \xE0 Gen\xE8ve\r\n");
    LineList lines = ReadLines(dir.file("Reason.LyS"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.textAt(0), "Prüfung à Genève");
}

TEST(UserLocale, UpperCasesOneCharacterToOne)
{
    win32ui::Win32Platform platform;
    for (const auto& [text, upper] : testing_support::kUpperCased)
        EXPECT_EQ(platform.toUpper(text), upper);
}
