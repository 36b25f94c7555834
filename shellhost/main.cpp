#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/messagelanguage.h"
#include "shellhost/handlerregistry.h"
#include "shellhost/invoke.h"
#include "shellhost/publisher.h"
#include "shellhost/quoting.h"
#include "shellhost/shellextension.h"

// sortune-shell: the shell for the context-menu handlers registered in the settings registry.
// `publish` makes their menus appear in the file managers; `invoke` is what each published
// item runs.

namespace {

constexpr const char* kUsageEnglish =
    "Usage: sortune-shell publish [--quiet]\n"
    "       sortune-shell invoke CLASSID OFFSET PATH...\n"
    "publish writes the file managers' menu files for the registered context-menu handlers\n"
    "and removes those of handlers no longer registered; --quiet says nothing. invoke runs\n"
    "the command at OFFSET of the handler CLASSID on the files PATH..., as the file\n"
    "managers' menu items do.\n";

constexpr const char* kUsageChinese =
    "用法：sortune-shell publish [--quiet]\n"
    "      sortune-shell invoke 类标识 编号 路径...\n"
    "publish 为已注册的右键菜单处理程序写入各文件管理器的菜单文件，并删除已不再注册的\n"
    "处理程序的菜单文件；--quiet 不显示任何信息。invoke 像文件管理器的菜单项那样，对文件\n"
    "“路径...”执行处理程序“类标识”中编号为“编号”的命令。\n";

void Say(const std::string& text) {
    std::fprintf(stderr, "sortune-shell: %s\n", text.c_str());
}

int Publish(bool quiet) {
    const PublishReport report =
        PublishHandlers(FindContextMenuHandlers(), PublishPlaces::OfThisUser());
    if (quiet) {
        return report.problems.empty() ? 0 : 1;
    }
    for (const std::string& problem : report.problems) {
        Say(problem);
    }
    if (report.thunarChanged) {
        Say(ChineseOr("Thunar 重新启动后才显示更改后的菜单（thunar -q）",
                      "Thunar shows the changed menu after it is restarted (thunar -q)"));
    }
    return report.problems.empty() ? 0 : 1;
}

bool ParseOffset(const std::string& text, UINT& offset) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    offset = static_cast<UINT>(std::stoul(text));
    return offset <= 0xFFFF;
}

int Invoke(const std::string& classId, const std::string& offsetText,
           const std::vector<std::string>& paths) {
    UINT offset = 0;
    if (!ParseOffset(offsetText, offset)) {
        Say(ChineseOr("不是命令编号：", "not a command offset: ") + offsetText);
        return 2;
    }
    const HandlerRegistration handler = FindContextMenuHandler(classId);
    if (handler.classId.empty()) {
        Say(ChineseOr("没有注册处理程序 ", "no handler is registered as ") + classId);
        return 1;
    }
    const std::vector<std::string> selection = SelectionFor(handler, paths);
    if (selection.empty()) {
        Say(ChineseOr("所选文件都不是该处理程序适用的类型",
                      "none of the files is of a type the handler is for"));
        return 1;
    }
    std::string error;
    const auto extension = ShellExtension::Open(handler, selection, error);
    if (!extension) {
        Say(error);
        return 1;
    }
    extension->QueryMenu();
    return SUCCEEDED(extension->Invoke(offset)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // The system's own texts (the reasons of errors) in the user's language.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "publish" &&
        (args.size() == 1 || (args.size() == 2 && args[1] == "--quiet"))) {
        return Publish(args.size() == 2);
    }
    if (args.size() >= 3 && args[0] == "invoke") {
        // Nemo hands URIs: its paths cannot hold a line break.
        std::vector<std::string> paths;
        for (auto it = args.begin() + 3; it != args.end(); ++it) {
            paths.push_back(PathOfFileUri(*it));
        }
        return Invoke(args[1], args[2], paths);
    }
    std::fputs(ChineseOr(kUsageChinese, kUsageEnglish),
               args.size() == 1 && args[0] == "--help" ? stdout : stderr);
    return args.size() == 1 && args[0] == "--help" ? 0 : 2;
}
