// The host's pieces that decide what the file managers read: labels, quoting, uca.xml merging,
// caja-actions' settings.
// Quoted text is read back with GLib's own parsers, the ones the GTK file managers use.

#include <glib.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shellhost/cajaactionssettings.h"
#include "shellhost/menulabel.h"
#include "shellhost/quoting.h"
#include "shellhost/ucafile.h"

namespace {

const std::vector<std::string> kHostileWords = {
    "plain", "two words",     "say \"hi\"",     "$HOME",   "`id`",         "a;b|c&d", "back\\slash",
    "end\\", "it's",          "new\nline\ttab", "%F 100%", "\xFF\xFE\xB0", "",        " lead",
    "#hash", "(x) <y> ~z *?",
};

std::vector<std::string> ParseArgv(const std::string& line) {
    gint argc = 0;
    gchar** argv = nullptr;
    GError* error = nullptr;
    std::vector<std::string> words;
    if (!g_shell_parse_argv(line.c_str(), &argc, &argv, &error)) {
        ADD_FAILURE() << line << ": " << error->message;
        g_error_free(error);
        return words;
    }
    for (gint i = 0; i < argc; ++i) {
        words.emplace_back(argv[i]);
    }
    g_strfreev(argv);
    return words;
}

TEST(MenuLabelTest, WindowsMenuTextsInEachForm) {
    struct Case {
        std::string text;
        std::string plain;
        std::string qt;
        std::string gtk;
    };
    const std::vector<Case> cases = {
        {"整理当前文件夹\t(&S)", "整理当前文件夹", "整理当前文件夹(&S)", "整理当前文件夹(_S)"},
        {"整理mp3\\wma文件(&M)", "整理mp3\\wma文件", "整理mp3\\wma文件(&M)",
         "整理mp3\\wma文件(_M)"},
        {"&Open", "Open", "&Open", "_Open"},
        {"Rock && Roll", "Rock & Roll", "Rock && Roll", "Rock & Roll"},
        {"snake_case", "snake_case", "snake_case", "snake__case"},
        {"tail &", "tail ", "tail &", "tail "},
        {"(&)", "()", "(&)", "(_)"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlainLabel(c.text), c.plain) << c.text;
        EXPECT_EQ(QtLabel(c.text), c.qt) << c.text;
        EXPECT_EQ(GtkLabel(c.text), c.gtk) << c.text;
    }
}

// Each word of an Exec line comes back as the same one word; the field code stays a token.
TEST(QuotingTest, ExecLinesSplitBackIntoTheSameWords) {
    for (const std::string& word : kHostileWords) {
        if (word.find('%') != std::string::npos) {
            // '%' is doubled for the desktop-entry expansion, which runs before the split.
            EXPECT_NE(ExecLine({word}, "").find("%%"), std::string::npos);
            continue;
        }
        const std::vector<std::string> expected = {"/opt/so rt/host", word, "%F"};
        EXPECT_EQ(ParseArgv(ExecLine({"/opt/so rt/host", word}, "%F")), expected) << word;
    }
}

// The desktop-entry rules exactly: KDE's parser, unlike GLib's, takes an unescaped '$' or '`'
// inside quotes as shell syntax.
TEST(QuotingTest, ExecWordsFollowTheDesktopEntryRules) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/usr/bin/host", "/usr/bin/host %F"},
        {"/opt/a b/host", "\"/opt/a b/host\" %F"},
        {"a$b`c", "\"a\\$b\\`c\" %F"},
        {"q\"\\", "\"q\\\"\\\\\" %F"},
        {"100%", "100%% %F"},
        {"", "\"\" %F"},
    };
    for (const auto& [word, line] : cases) {
        EXPECT_EQ(ExecLine({word}, "%F"), line) << word;
    }
}

TEST(QuotingTest, ShellWordsComeBackUnchanged) {
    for (const std::string& word : kHostileWords) {
        EXPECT_EQ(ParseArgv("cmd " + ShellWord(word)), (std::vector<std::string>{"cmd", word}))
            << word;
    }
}

TEST(QuotingTest, KeyFileValuesReadBackUnchanged) {
    for (const std::string& word : kHostileWords) {
        const std::string value = KeyFileValue(word);
        EXPECT_EQ(value.find('\n'), std::string::npos);
        GKeyFile* file = g_key_file_new();
        const std::string text = "[Desktop Entry]\nKey=" + value + "\n";
        ASSERT_TRUE(
            g_key_file_load_from_data(file, text.c_str(), text.size(), G_KEY_FILE_NONE, nullptr));
        gchar* read = g_key_file_get_value(file, "Desktop Entry", "Key", nullptr);
        gchar* unescaped = g_key_file_get_string(file, "Desktop Entry", "Key", nullptr);
        if (g_utf8_validate(word.c_str(), -1, nullptr)) {
            ASSERT_NE(unescaped, nullptr) << word;
            EXPECT_EQ(std::string(unescaped), word);
        }
        EXPECT_NE(read, nullptr);
        g_free(read);
        g_free(unescaped);
        g_key_file_free(file);
    }
}

// Every byte glib writes into a file URI comes back; what is no local file URI stays as it is.
TEST(QuotingTest, FileUrisGiveThePathTheyName) {
    const std::string odd = "/m/a\nb 'c' \"d\" %41 $e \xFF\xE6\xAD\x8C.mp3";
    gchar* uri = g_filename_to_uri(odd.c_str(), nullptr, nullptr);
    EXPECT_EQ(PathOfFileUri(uri), odd);
    g_free(uri);
    const std::pair<std::string, std::string> cases[] = {
        {"file://localhost/a%20b", "/a b"},
        {"file:///a%2", "/a%2"},  // cut short: left as written
        {"file:///a%zz", "/a%zz"},
        {"file://host/a", "file://host/a"},  // another machine's file
        {"/plain%20path", "/plain%20path"},
        {"file:/a", "file:/a"},
    };
    for (const auto& [argument, path] : cases) {
        EXPECT_EQ(PathOfFileUri(argument), path) << argument;
    }
}

TEST(UcaFileTest, OwnActionsAreReplacedAndEverythingElseKeptByteForByte) {
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<actions>\r\n";
    const std::string mine =
        "<action>\n\t<name>Mine &amp; yours</name>\n\t<unique-id>my-own</unique-id>\n"
        "\t<command>echo &quot;%f&quot;</command>\n\t<x-foreign/>\n</action>\n";
    const std::string comment =
        "<!-- <action><unique-id>sortune-shell-x</unique-id></action> -->\n";
    const std::string old =
        "<action><unique-id> sortune-shell-old-0 </unique-id><name>Old</name></action>\n";
    const std::string ours = "<action>\n\t<unique-id>sortune-shell-new-0</unique-id>\n</action>\n";
    const std::string footer = "</actions>\r\n";
    struct Case {
        const char* what;
        std::string text;
        std::string actions;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"added after the user's", header + mine + comment + footer, ours,
         header + mine + comment + ours + footer},
        {"put where the old ones were", header + old + mine + old + footer, ours,
         header + ours + mine + footer},
        {"removed", header + mine + old + footer, "", header + mine + footer},
        {"nothing of ours", header + mine + footer, "", header + mine + footer},
        {"empty root", "<actions/>", ours, std::nullopt},
        {"no root", "<something>" + mine + "</something>", ours, std::nullopt},
        {"an action not closed", header + "<action><name>x</name>" + footer, ours, std::nullopt},
        {"a comment not closed", header + "<!-- " + footer, ours, std::nullopt},
        {"no line break before the end", "<actions>" + mine + "</actions>", ours,
         "<actions>" + mine + ours + "</actions>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeUcaActions(c.text, "sortune-shell-", c.actions), c.expected) << c.what;
    }
    EXPECT_TRUE(HasUcaActions(header + mine + footer));
    EXPECT_FALSE(HasUcaActions(header + comment + footer));
    EXPECT_EQ(MergeUcaActions(NewUcaFile(ours), "sortune-shell-", ""), NewUcaFile(""));
}

// The top-level list as caja-actions reads it, with GLib's key-file parser.
std::vector<std::string> CajaActionsTop(const std::string& settings) {
    GKeyFile* file = g_key_file_new();
    std::vector<std::string> ids;
    if (g_key_file_load_from_data(file, settings.c_str(), settings.size(), G_KEY_FILE_NONE,
                                  nullptr)) {
        gchar** list =
            g_key_file_get_string_list(file, "runtime", "items-level-zero-order", nullptr, nullptr);
        for (gchar** id = list; id != nullptr && *id != nullptr; ++id) {
            ids.emplace_back(*id);
        }
        g_strfreev(list);
    } else {
        ADD_FAILURE() << settings;
    }
    g_key_file_free(file);
    return ids;
}

TEST(CajaActionsSettingsTest, OurMenusAtTheTopOurItemsNotAndEverythingElseKept) {
    const std::string menu = "sortune-shell-h-0";
    const std::string manual = "items-list-order-mode=ManualOrder\n";
    const std::string user = "# mine\n[io-provider na-desktop]\nreadable=true\n\n";
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> top;
        std::string expected;
        std::vector<std::string> readBack;
    };
    const std::vector<Case> cases = {
        {"a new file",
         "",
         {menu},
         "[runtime]\nitems-level-zero-order=" + menu + ";\n" + manual,
         {menu}},
        {"the order caja-actions read the files in",
         "[runtime]\nitems-level-zero-order=" + menu + "-2;" + menu + ";" + menu + "-1;" + menu +
             "-0;\n",
         {menu},
         "[runtime]\nitems-level-zero-order=" + menu + ";\n" + manual,
         {menu}},
        {"the user's items and order mode kept",
         user + "[runtime]\nitems-list-order-mode=AscendingOrder\n"
                "items-level-zero-order=a;sortune-shell-old-0;b;\nx=1\n[later]\nitems-level-zero-"
                "order=c;\n",
         {menu},
         user + "[runtime]\nitems-list-order-mode=AscendingOrder\nitems-level-zero-order=a;b;" +
             menu + ";\nx=1\n[later]\nitems-level-zero-order=c;\n",
         {"a", "b", menu}},
        {"a menu keeps its place",
         "[runtime]\nitems-level-zero-order = a;" + menu + ";b\n" + manual,
         {menu, "sortune-shell-h-1"},
         "[runtime]\nitems-level-zero-order=a;" + menu + ";b;sortune-shell-h-1;\n" + manual,
         {"a", menu, "b", "sortune-shell-h-1"}},
        {"a group added",
         user,
         {menu},
         user + "[runtime]\nitems-level-zero-order=" + menu + ";\n" + manual,
         {menu}},
        {"taken out again",
         "[runtime]\nitems-level-zero-order=a;" + menu + ";\n" + manual,
         {},
         "[runtime]\nitems-level-zero-order=a;\n" + manual,
         {"a"}},
        {"nothing of ours", user, {}, user, {}},
    };
    for (const Case& c : cases) {
        const std::string settings = WithCajaActionsTop(c.text, "sortune-shell-", c.top);
        EXPECT_EQ(settings, c.expected) << c.what;
        EXPECT_EQ(CajaActionsTop(settings), c.readBack) << c.what;
        EXPECT_EQ(HasCajaActionsTop(settings), !c.readBack.empty()) << c.what;
    }
}

}  // namespace
