// The whole road in a temporary home: `sortune i` publishes the menu files, each file read by
// a parser of its kind, each published command run the way its file manager runs it with a
// hostile file name, and `sortune u` removing every file it wrote and nothing else.

#include <fcntl.h>
#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/process.h"
#include "platform/profile.h"
#include "shellhost/menuformats.h"
#include "tests/support/fileio.h"
#include "tests/support/programrun.h"
#include "tests/support/recordings.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "sortune-shell-5e1a7c20-3b94-4d2f-8c61-0a9b7d3e4f12";
const std::string kFolder = "整理mp3\\wma文件";
const std::vector<std::string> kItems = {"整理当前文件夹", "自定义整理...", "关于..."};

// Runs `argv` in `folder` (the current folder when empty) and returns its exit status.
int RunProgram(const std::vector<std::string>& argv, const std::string& folder = "") {
    const pid_t child = fork();
    if (child == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every file below `folder` with its content, inode and change time.
struct FileState {
    std::string content;
    ino_t inode;
    std::int64_t changed;
    mode_t mode;
    bool operator==(const FileState&) const = default;
};
std::map<std::string, FileState> Snapshot(const std::string& folder) {
    std::map<std::string, FileState> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); ++it) {
        struct stat info {};
        if (stat(it->path().c_str(), &info) == 0) {
            const std::string name = it->path().lexically_relative(folder).string();
            files[name] = {S_ISREG(info.st_mode) ? ReadFile(it->path()) : "<folder>", info.st_ino,
                           info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec,
                           info.st_mode & 0777};
        }
    }
    return files;
}

class KeyFile {
public:
    explicit KeyFile(const std::string& path) : file_(g_key_file_new()) {
        GError* error = nullptr;
        loaded_ = g_key_file_load_from_file(file_, path.c_str(), G_KEY_FILE_NONE, &error);
        if (!loaded_) {
            ADD_FAILURE() << path << ": " << error->message;
            g_error_free(error);
        }
    }
    ~KeyFile() { g_key_file_free(file_); }
    KeyFile(const KeyFile&) = delete;
    KeyFile& operator=(const KeyFile&) = delete;

    std::string Get(const std::string& group, const std::string& key) const {
        gchar* value = g_key_file_get_string(file_, group.c_str(), key.c_str(), nullptr);
        const std::string text = value != nullptr ? value : "<missing>";
        g_free(value);
        return text;
    }
    std::vector<std::string> List(const std::string& group, const std::string& key) const {
        gsize length = 0;
        gchar** values =
            g_key_file_get_string_list(file_, group.c_str(), key.c_str(), &length, nullptr);
        std::vector<std::string> list(values, values + length);
        g_strfreev(values);
        return list;
    }

private:
    GKeyFile* file_;
    bool loaded_ = false;
};

// The <action> elements of uca.xml, each as its children's text, read by GLib's XML parser.
using UcaAction = std::map<std::string, std::string>;
std::vector<UcaAction> ReadUca(const std::string& xml) {
    struct State {
        std::vector<UcaAction> actions;
        std::string element;
    } state;
    GMarkupParser parser{};
    parser.start_element = [](GMarkupParseContext*, const gchar* name, const gchar**, const gchar**,
                              gpointer data, GError**) {
        auto* s = static_cast<State*>(data);
        s->element = name;
        if (s->element == "action") {
            s->actions.emplace_back();
        } else if (!s->actions.empty()) {
            s->actions.back()[s->element];
        }
    };
    parser.text = [](GMarkupParseContext*, const gchar* text, gsize size, gpointer data, GError**) {
        auto* s = static_cast<State*>(data);
        if (!s->actions.empty() && s->element != "action") {
            s->actions.back()[s->element] += std::string(text, size);
        }
    };
    parser.end_element = [](GMarkupParseContext*, const gchar*, gpointer data, GError**) {
        static_cast<State*>(data)->element = "action";
    };
    GMarkupParseContext* context =
        g_markup_parse_context_new(&parser, G_MARKUP_DEFAULT_FLAGS, &state, nullptr);
    GError* error = nullptr;
    if (!g_markup_parse_context_parse(context, xml.c_str(), static_cast<gssize>(xml.size()),
                                      &error) ||
        !g_markup_parse_context_end_parse(context, &error)) {
        ADD_FAILURE() << "uca.xml: " << error->message;
        g_error_free(error);
    }
    g_markup_parse_context_free(context);
    return state.actions;
}

std::vector<std::string> SplitArgv(const std::string& line) {
    gint argc = 0;
    gchar** argv = nullptr;
    std::vector<std::string> words;
    if (g_shell_parse_argv(line.c_str(), &argc, &argv, nullptr)) {
        words.assign(argv, argv + argc);
        g_strfreev(argv);
    }
    return words;
}

// An Exec line as Dolphin and Nemo run it: split into words, %F one argument per path, %U
// one per URI.
std::vector<std::string> ExpandExec(const std::string& exec, const std::string& path) {
    std::vector<std::string> argv;
    for (const std::string& word : SplitArgv(exec)) {
        if (word == "%U") {
            gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
            argv.emplace_back(uri);
            g_free(uri);
        } else {
            argv.push_back(word == "%F" ? path : word);
        }
    }
    return argv;
}

// Nautilus's Python module as far as a menu provider uses it, and a driver that loads an
// extension, asks it for the menu of the files given (path, MIME type, 1 for a folder) and
// prints the menu, one item a line, a submenu's items indented; with ACTIVATE=1 it then
// activates the first item that runs a command.
constexpr const char* kFakeNautilus = R"(
class GObject:
    class GObject:
        pass

class Nautilus:
    class MenuProvider:
        pass

    class MenuItem:
        def __init__(self, name, label, tip=''):
            self.name, self.label, self.submenu, self.handlers = name, label, None, []

        def set_submenu(self, menu):
            self.submenu = menu

        def connect(self, signal, handler, *args):
            self.handlers.append((signal, handler, args))

        def activate(self):
            for signal, handler, args in self.handlers:
                if signal == 'activate':
                    handler(self, *args)

    class Menu:
        def __init__(self):
            self.items = []

        def append_item(self, item):
            self.items.append(item)
)";

constexpr const char* kNautilusDriver = R"(
import importlib.util, os, sys
spec = importlib.util.spec_from_file_location('extension', sys.argv[1])
extension = importlib.util.module_from_spec(spec)
spec.loader.exec_module(extension)

class File:
    def __init__(self, path, mime, folder):
        self.path, self.mime, self.folder = path, mime, folder == '1'
    def get_mime_type(self): return self.mime
    def is_directory(self): return self.folder
    def get_location(self):
        path = self.path
        class Location:
            def get_path(self): return path
        return Location()

args = sys.argv[2:]
files = [File(*args[i:i + 3]) for i in range(0, len(args), 3)]
commands = []
def show(items, depth):
    for item in items:
        print('  ' * depth + item.label)
        if item.submenu is not None:
            show(item.submenu.items, depth + 1)
        else:
            commands.append(item)
show(extension.Menu().get_file_items(None, files), 0)
if os.environ.get('ACTIVATE') == '1' and commands:
    commands[0].activate()
)";

// The menu the Nautilus extension at `path` offers on `files`, as the driver prints it.
ProgramResult AskNautilusExtension(const std::string& path,
                                   const std::vector<std::vector<std::string>>& files,
                                   bool activate) {
    static const TempDir modules;
    fs::create_directories(modules / "gi/repository");
    WriteFile(modules / "gi/__init__.py", "");
    WriteFile(modules / "gi/repository/__init__.py", kFakeNautilus);
    std::vector<std::string> args = {"-c", kNautilusDriver, path};
    for (const auto& file : files) {
        args.insert(args.end(), file.begin(), file.end());
    }
    ProgramEnvironment environment;
    environment.extra = {{"PYTHONPATH", modules.path()}, {"ACTIVATE", activate ? "1" : "0"}};
    return ::RunProgram(process::FindProgram("python3"), args, environment);
}

class PublishTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_music / "odd \"dir\" $x `y`;\n");
        m_song = m_music / "odd \"dir\" $x `y`;\n/a 'b' $(c) \\\" \xFF.mp3";
        WriteFile(m_song, "ID3");
        fs::create_directories(Config() + "/Thunar");
        WriteFile(Config() + "/Thunar/uca.xml", kUserUca);
    }

    std::string Data() const { return m_home.DataHome(); }
    std::string Config() const { return m_home.path(); }
    std::string Published(const std::string& path) const { return Data() + "/" + path; }

    int Sortune(const std::string& command) { return RunProgram({SORTUNE_EXECUTABLE, command}); }

    // Runs one published command and returns what the stand-in program received.
    std::vector<RecordedRun> RunsOf(const std::function<int()>& run) {
        fs::remove_all(m_records.path());
        fs::create_directories(m_records.path());
        EXPECT_EQ(run(), 0);
        return WaitForRuns(m_records.path(), 1);
    }

    static constexpr const char* kUserUca =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n"
        "\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n"
        "\t<unique-id>1796657547733391-1</unique-id>\n"
        "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
        "\t<description>Example for a custom action &amp; more</description>\n"
        "\t<patterns>*</patterns>\n\t<startup-notify/>\n\t<directories/>\n</action>\n"
        "<!-- <action><unique-id>sortune-shell-x</unique-id></action> -->\n</actions>\n";

    ScopedConfigHome m_home;
    TempDir m_music;
    TempDir m_records;
    std::string m_song;
};

TEST_F(PublishTest, InstallPublishesEveryFormatAndEachCommandGetsExactlyThePath) {
    const auto before = Snapshot(Data());
    ASSERT_EQ(Sortune("i"), 0);
    // The menu starts the program that registered it, before its window was ever opened.
    EXPECT_EQ(GetProfileString("Set", "ExePath"), fs::canonical(SORTUNE_EXECUTABLE).string());
    setenv("SORTUNE_RECORD_DIR", m_records.path().c_str(), 1);
    ASSERT_TRUE(WriteProfileString("Set", "ExePath", SORTUNE_ARGV_RECORDER));

    // Dolphin: one service menu, executable, the items in order around one separator.
    const std::string dolphin = Published("kio/servicemenus/" + std::string(kName) + "-0.desktop");
    EXPECT_EQ(fs::status(dolphin).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    const KeyFile service(dolphin);
    EXPECT_EQ(service.Get("Desktop Entry", "Type"), "Service");
    EXPECT_EQ(service.Get("Desktop Entry", "X-KDE-Submenu"), kFolder + "(&M)");
    EXPECT_THAT(service.List("Desktop Entry", "MimeType"),
                testing::ElementsAre("audio/mpeg", "audio/x-ms-wma"));
    const auto actions = service.List("Desktop Entry", "Actions");
    EXPECT_THAT(actions, testing::ElementsAre("A00", "A01", "_SEPARATOR_", "a02"));
    std::vector<std::string> names;
    for (const char* id : {"A00", "A01", "a02"}) {
        names.push_back(service.Get(std::string("Desktop Action ") + id, "Name"));
    }
    EXPECT_EQ(names, kItems);

    // Nemo: a flat list, in file-name order.
    const std::string nemo = Published("nemo/actions/" + std::string(kName));
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        const KeyFile action(nemo + "-0" + std::to_string(i) + ".nemo_action");
        EXPECT_EQ(action.Get("Nemo Action", "Selection"), "notnone");
        EXPECT_TRUE(action.Get("Nemo Action", "Exec").ends_with(" %U"));  // paths may hold a LF
        EXPECT_THAT(action.List("Nemo Action", "Mimetypes"),
                    testing::ElementsAre("audio/mpeg", "audio/x-ms-wma"));
    }
    EXPECT_EQ(KeyFile(nemo + "-00.nemo_action").Get("Nemo Action", "Comment"),
              "Register module using regsvr32 tool.");

    // FreeDesktop actions: a menu listing its items and the separator.
    const std::string actionsFolder = Published("file-manager/actions/") + kName;
    const KeyFile menu(actionsFolder + "-0.desktop");
    EXPECT_EQ(menu.Get("Desktop Entry", "Type"), "Menu");
    EXPECT_THAT(menu.List("Desktop Entry", "ItemsList"),
                testing::ElementsAre(std::string(kName) + "-0-0", std::string(kName) + "-0-1",
                                     "SEPARATOR", std::string(kName) + "-0-2"));
    // caja-actions fills a menu only when it is at the top, before its items, and keeps
    // their order only when told.
    const KeyFile caja(Config() + "/caja-actions/caja-actions.conf");
    EXPECT_THAT(caja.List("runtime", "items-level-zero-order"),
                testing::ElementsAre(std::string(kName) + "-0"));
    EXPECT_EQ(caja.Get("runtime", "items-list-order-mode"), "ManualOrder");

    // Thunar: the user's action first, untouched, then ours in menu order.
    const std::string uca = ReadFile(Config() + "/Thunar/uca.xml");
    EXPECT_EQ(uca.find(std::string(kUserUca).substr(0, std::string(kUserUca).rfind("</actions>"))),
              0u);
    const auto ucaActions = ReadUca(uca);
    ASSERT_EQ(ucaActions.size(), 4u);
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        const UcaAction& action = ucaActions[i + 1];
        EXPECT_EQ(action.at("name"), kItems[i]);
        EXPECT_EQ(action.at("submenu"), kFolder);
        EXPECT_EQ(action.at("unique-id"), std::string(kName) + "-" + std::to_string(i));
        EXPECT_EQ(action.at("patterns").find("*.mp3;*.MP3"), 0u);
        EXPECT_EQ(action.count("audio-files"), 1u);
        EXPECT_EQ(ReadFile(action.at("icon")).substr(1, 3), "PNG");
    }

    // Each command, run as its file manager runs it, with the hostile path.
    const std::vector<RecordedRun> exactly = {{m_song}};
    const std::map<std::string, std::string> execs = {
        {"Dolphin", service.Get("Desktop Action A00", "Exec")},
        {"Nemo", KeyFile(nemo + "-00.nemo_action").Get("Nemo Action", "Exec")},
        {"FreeDesktop",
         KeyFile(actionsFolder + "-0-0.desktop").Get("X-Action-Profile files", "Exec")}};
    for (const auto& [manager, exec] : execs) {
        EXPECT_EQ(RunsOf([&] { return process::RunAndWait(ExpandExec(exec, m_song)); }), exactly)
            << manager;
    }
    std::string thunar = ucaActions[1].at("command");
    gchar* quoted = g_shell_quote(m_song.c_str());
    thunar.replace(thunar.find("%F"), 2, quoted);
    g_free(quoted);
    EXPECT_EQ(RunsOf([&] { return RunProgram({"/bin/sh", "-c", thunar}); }), exactly) << "Thunar";
    const std::string extension =
        Published("nautilus-python/extensions/" + std::string(kName) + ".py");
    if (fs::exists(extension)) {
        // Nautilus loads Python extensions on this system: the extension instead of scripts.
        EXPECT_FALSE(fs::exists(Published("nautilus/scripts")));
        EXPECT_EQ(
            RunsOf([&] {
                return AskNautilusExtension(extension, {{m_song, "audio/mpeg", "0"}}, true).status;
            }),
            exactly)
            << "Nautilus";
    } else {
        const std::string script = Published("nautilus/scripts/" + kFolder + "/" + kItems[0]);
        const std::string folder = fs::path(m_song).parent_path().string();
        EXPECT_EQ(RunsOf([&] {
                      return RunProgram({script, fs::path(m_song).filename().string()}, folder);
                  }),
                  exactly)
            << "Nautilus";
        // Nautilus shows the scripts on every file: the host starts nothing for other types.
        WriteFile(folder + "/notes.txt", "");
        EXPECT_EQ(RunProgram({script, "notes.txt"}, folder), 1);
        EXPECT_EQ(WaitForRuns(m_records.path(), 2, 0.5).size(), 1u);
    }

    // Registering again changes nothing, so no file is rewritten.
    const auto published = Snapshot(Data());
    const std::string ucaBefore = ReadFile(Config() + "/Thunar/uca.xml");
    ASSERT_EQ(Sortune("i"), 0);
    EXPECT_EQ(Snapshot(Data()), published);
    EXPECT_EQ(ReadFile(Config() + "/Thunar/uca.xml"), ucaBefore);

    // A top-level list caja-actions wrote in the order it read the files, as an older version
    // left it, is put right by `i` alone.
    const std::string cajaConf = Config() + "/caja-actions/caja-actions.conf";
    WriteFile(cajaConf, "[runtime]\nitems-level-zero-order=" + std::string(kName) + "-0-2;" +
                            std::string(kName) + "-0;\nitems-list-order-mode=ManualOrder\n");
    ASSERT_EQ(Sortune("i"), 0);
    EXPECT_THAT(KeyFile(cajaConf).List("runtime", "items-level-zero-order"),
                testing::ElementsAre(std::string(kName) + "-0"));
    EXPECT_EQ(Snapshot(Data()), published);

    // Unregistering removes every file written, and the user's actions survive byte for byte.
    ASSERT_EQ(Sortune("u"), 0);
    EXPECT_EQ(Snapshot(Data()), before);
    EXPECT_EQ(ReadFile(Config() + "/Thunar/uca.xml"), kUserUca);
    unsetenv("SORTUNE_RECORD_DIR");
}

// Without a uca.xml of the user's, the one the host makes goes again with its actions; a file
// in the way of a published one is never replaced.
TEST_F(PublishTest, UninstallRemovesAUcaFileItMadeAndNeverAFileItDidNotWrite) {
    fs::remove(Config() + "/Thunar/uca.xml");
    fs::remove(Config() + "/Thunar");
    const std::string dolphin = Published("kio/servicemenus/" + std::string(kName) + "-0.desktop");
    fs::create_directories(fs::path(dolphin).parent_path());
    WriteFile(dolphin, "mine");
    const auto before = Snapshot(Data());

    const ProgramResult install = ::RunProgram(SORTUNE_EXECUTABLE, {"i"});  // in Chinese
    ASSERT_EQ(install.status, 0);
    EXPECT_THAT(
        install.err,
        testing::EndsWith("sortune-shell: Thunar 重新启动后才显示更改后的菜单（thunar -q）\n"));
    EXPECT_THAT(install.err, testing::HasSubstr("：已有同名文件，保持原样\n"));
    EXPECT_EQ(ReadFile(dolphin), "mine");
    EXPECT_EQ(ReadUca(ReadFile(Config() + "/Thunar/uca.xml")).size(), 3u);
    EXPECT_EQ(fs::status(Config() + "/Thunar/uca.xml").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);  // private, as Thunar makes it
    EXPECT_TRUE(fs::exists(Published("nemo/actions/" + std::string(kName) + "-00.nemo_action")));
    ASSERT_EQ(Sortune("u"), 0);
    EXPECT_EQ(Snapshot(Data()), before);
    EXPECT_FALSE(fs::exists(Config() + "/Thunar"));
    EXPECT_FALSE(fs::exists(Config() + "/caja-actions"));
}

// Merging the actions into the user's uca.xml, and taking them out again, keeps its mode.
TEST_F(PublishTest, TheUsersUcaFileKeepsItsMode) {
    const std::string uca = Config() + "/Thunar/uca.xml";
    for (const fs::perms mode : {fs::perms(0644), fs::perms(0600), fs::perms(0640)}) {
        fs::permissions(uca, mode);
        ASSERT_EQ(Sortune("i"), 0);
        EXPECT_EQ(ReadUca(ReadFile(uca)).size(), 4u);
        EXPECT_EQ(fs::status(uca).permissions(), mode) << "i " << static_cast<int>(mode);
        ASSERT_EQ(Sortune("u"), 0);
        EXPECT_EQ(ReadFile(uca), kUserUca);
        EXPECT_EQ(fs::status(uca).permissions(), mode) << "u " << static_cast<int>(mode);
    }
}

// The extension offers the submenu, its items in the menu's order, on MP3 and WMA files only,
// and its first item gives the host exactly the path chosen.
TEST_F(PublishTest, TheNautilusExtensionOffersTheMenuOnMusicFilesOnly) {
    PublishedHandler handler{"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}",
                             {"audio/mpeg", "audio/x-ms-wma"},
                             {".mp3", ".wma"},
                             {{"整理mp3\\wma文件(&M)", {}}},
                             {}};
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        handler.groups[0].items.push_back({kItems[i], static_cast<UINT>(i), "it's \"help\"", ""});
    }
    const std::string host = m_records / "odd 'host' \\ \xFF";
    fs::copy_file(SORTUNE_ARGV_RECORDER, host);
    const std::vector<PublishedFile> files = NautilusExtension(handler, {Data(), host, true});
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, Data() + "/nautilus-python/extensions/" + kName + ".py");
    fs::create_directories(fs::path(files[0].path).parent_path());
    WriteFile(files[0].path, files[0].content);

    const std::string menu =
        kFolder + "\n  " + kItems[0] + "\n  " + kItems[1] + "\n  " + kItems[2] + "\n";
    const std::vector<std::string> mp3 = {m_song, "audio/mpeg", "0"};
    const std::vector<std::string> wma = {"/m/b.WMA", "audio/x-ms-wma", "0"};
    const std::vector<std::string> text = {"/m/c.txt", "text/plain", "0"};
    const std::vector<std::string> folder = {"/m/d.mp3", "audio/mpeg", "1"};
    const std::pair<std::vector<std::vector<std::string>>, std::string> cases[] = {
        {{mp3}, menu}, {{mp3, wma}, menu}, {{text}, ""}, {{mp3, text}, ""}, {{folder}, ""},
    };
    for (const auto& [selection, expected] : cases) {
        const ProgramResult asked = AskNautilusExtension(files[0].path, selection, false);
        EXPECT_EQ(asked.status, 0) << asked.err;
        EXPECT_EQ(asked.out, expected) << selection.back()[0];
    }
    fs::remove_all(m_records / "runs");
    fs::create_directories(m_records / "runs");
    setenv("SORTUNE_RECORD_DIR", (m_records / "runs").c_str(), 1);
    EXPECT_EQ(AskNautilusExtension(files[0].path, {mp3, wma}, true).status, 0);
    unsetenv("SORTUNE_RECORD_DIR");
    EXPECT_EQ(WaitForRuns(m_records / "runs", 1),
              (std::vector<RecordedRun>{
                  {"invoke", "{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}", "0", m_song, "/m/b.WMA"}}));
}

}  // namespace
