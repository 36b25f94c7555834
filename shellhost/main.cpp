#include <cstdio>
#include <string>
#include <vector>

#include "shellhost/handlerregistry.h"
#include "shellhost/invoke.h"
#include "shellhost/publisher.h"
#include "shellhost/shellextension.h"

// sortune-shell: the shell for the context-menu handlers registered in the settings registry.
// `publish` makes their menus appear in the file managers; `invoke` is what each published
// item runs.

namespace {

constexpr const char* kUsage =
    "Usage: sortune-shell publish [--quiet]\n"
    "       sortune-shell invoke CLASSID OFFSET PATH...\n"
    "publish writes the file managers' menu files for the registered context-menu handlers\n"
    "and removes those of handlers no longer registered; --quiet says nothing. invoke runs\n"
    "the command at OFFSET of the handler CLASSID on the files PATH..., as the file\n"
    "managers' menu items do.\n";

int Publish(bool quiet) {
    const PublishReport report =
        PublishHandlers(FindContextMenuHandlers(), PublishPlaces::OfThisUser());
    if (quiet) {
        return report.problems.empty() ? 0 : 1;
    }
    for (const std::string& problem : report.problems) {
        std::fprintf(stderr, "sortune-shell: %s\n", problem.c_str());
    }
    if (report.thunarChanged) {
        std::fputs(
            "sortune-shell: Thunar shows the changed menu after it is restarted "
            "(thunar -q)\n",
            stderr);
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
        std::fprintf(stderr, "sortune-shell: not a command offset: %s\n", offsetText.c_str());
        return 2;
    }
    const HandlerRegistration handler = FindContextMenuHandler(classId);
    if (handler.classId.empty()) {
        std::fprintf(stderr, "sortune-shell: no handler %s is registered\n", classId.c_str());
        return 1;
    }
    const std::vector<std::string> selection = SelectionFor(handler, paths);
    if (selection.empty()) {
        std::fputs("sortune-shell: none of the files is of a type the handler is for\n", stderr);
        return 1;
    }
    std::string error;
    const auto extension = ShellExtension::Open(handler, selection, error);
    if (!extension) {
        std::fprintf(stderr, "sortune-shell: %s\n", error.c_str());
        return 1;
    }
    extension->QueryMenu();
    return SUCCEEDED(extension->Invoke(offset)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "publish" &&
        (args.size() == 1 || (args.size() == 2 && args[1] == "--quiet"))) {
        return Publish(args.size() == 2);
    }
    if (args.size() >= 3 && args[0] == "invoke") {
        return Invoke(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    }
    std::fputs(kUsage, args.size() == 1 && args[0] == "--help" ? stdout : stderr);
    return args.size() == 1 && args[0] == "--help" ? 0 : 2;
}
