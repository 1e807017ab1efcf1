// The pure pieces of Orvane.exe's start-up and of its script picker.
#include <gtest/gtest.h>

#include <string>

#include "ui/win32/win32_file_picker.h"
#include "ui/win32/win32_startup.h"

namespace {

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }
std::string narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

TEST(Win32Startup, ApplicationNameIsTheExecutableWithoutItsExtension) {
    const std::pair<const char16_t*, const char16_t*> kCases[] = {
        {u"C:\\Tools\\Orvane.exe", u"Orvane"},
        {u"Z:\\work\\build\\ui\\win32\\Orvane.exe", u"Orvane"},
        {u"D:/bench/orvane.v2.exe", u"orvane.v2"},
        {u"Orvane.exe", u"Orvane"},
        {u"\\\\server\\share\\Orvane", u"Orvane"},
        {u"C:.hidden", u".hidden"},
    };
    for (const auto& [path, name] : kCases) EXPECT_EQ(narrow(win32_app_name_from_path(path)), narrow(name));
    EXPECT_FALSE(win32_app_name().empty());
}

TEST(Win32Startup, RestartCommandLineKeepsTheOwnArgumentsAndAddsTheIdentifier) {
    const std::pair<const char16_t*, const char16_t*> kArgs[] = {
        {u"Orvane.exe", u""},
        {u"\"C:\\Program Files\\Brenlow\\Orvane.exe\"", u""},
        {u"\"C:\\Program Files\\Brenlow\\Orvane.exe\"  extra words", u"extra words"},
        {u"Orvane.exe\t/x", u"/x"},
        {u"", u""},
    };
    for (const auto& [line, args] : kArgs) EXPECT_EQ(narrow(win32_command_arguments(line)), narrow(args)) << narrow(line);
    const std::u16string guid = u"{0B6E2F4C-1A2B-4C3D-8E9F-001122334455}";
    EXPECT_EQ(narrow(win32_restart_command_line(u"", guid)),
              " /RestartByRestartManager:{0B6E2F4C-1A2B-4C3D-8E9F-001122334455}");
    EXPECT_EQ(narrow(win32_restart_command_line(u"/x", guid)),
              "/x /RestartByRestartManager:{0B6E2F4C-1A2B-4C3D-8E9F-001122334455}");
    // The system takes the registration (Wine answers as Windows does).
    EXPECT_TRUE(win32_register_restart());
    EXPECT_TRUE(win32_init_common_controls());
}

TEST(Win32FilePicker, FilterBecomesTextPatternPairsInOrder) {
    const auto pairs = win32_filter_pairs(u"Script Files(*.inc;*.ds)|*.inc;*.ds|All Files(*.*)|*.*|");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(narrow(pairs[0].first), "Script Files(*.inc;*.ds)");
    EXPECT_EQ(narrow(pairs[0].second), "*.inc;*.ds");
    EXPECT_EQ(narrow(pairs[1].first), "All Files(*.*)");
    EXPECT_EQ(narrow(pairs[1].second), "*.*");
    // Malformed filters lose the incomplete entries only.
    EXPECT_TRUE(win32_filter_pairs(u"").empty());
    EXPECT_TRUE(win32_filter_pairs(u"Text only|").empty());
    EXPECT_EQ(win32_filter_pairs(u"A|*.a|B").size(), 1u);
    EXPECT_EQ(win32_filter_pairs(u"A|*.a").size(), 1u);
    EXPECT_EQ(win32_filter_pairs(u"|*.a|B|*.b|").size(), 1u);

    EXPECT_EQ(narrow(win32_default_extension(u"*.inc")), "inc");
    EXPECT_EQ(narrow(win32_default_extension(u".ds")), "ds");
    EXPECT_EQ(narrow(win32_default_extension(u"inc")), "inc");
    EXPECT_EQ(narrow(win32_default_extension(u"")), "");
}

}  // namespace
