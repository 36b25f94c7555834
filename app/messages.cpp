#include "app/messages.h"

#include <cerrno>
#include <cstring>

#include "platform/absolutepath.h"
#include "platform/ansistring.h"
#include "platform/messagelanguage.h"

namespace messages {
namespace {

constexpr const char* kHelpEnglish =
    "Usage: sortune [OPTION]... PATH...\n"
    "Rename each MP3 and WMA file in a folder after the song title in its tags,\n"
    "turning traditional Chinese (Big5) into simplified Chinese and dropping a\n"
    "leading track number. A name that is taken is left alone: no file is ever\n"
    "replaced. PATH is a folder to organize, or a file whose folder is organized;\n"
    "several PATHs are organized one after another. Runs in a simplified Chinese\n"
    "locale (LANG=zh_CN.UTF-8).\n"
    "\n"
    "  -n, --dry-run       change nothing; print what a run would do\n"
    "  -r, --recursive     organize all sub-folders too (this run only)\n"
    "      --no-recursive  organize the folder itself only (this run only)\n"
    "  -a, --by-artist     files stay; links named after titles go to artist folders\n"
    "  -t, --fix-tags      repair the tags too: Chinese text players show garbled\n"
    "      --no-rename     leave the names as they are (with -t: repair only)\n"
    "  -A, --all-formats   FLAC, Ogg, Opus, M4A, APE and WavPack files too\n"
    "  -v, --verbose       print each step as it is done\n"
    "  -q, --quiet         print no progress; errors and the summary still print\n"
    "      --undo          take back the latest run (with -n: show what it would do)\n"
    "      --redo          take back the latest undo\n"
    "      --history       list the runs kept for undo, oldest first\n"
    "  -h, --help          show this help and exit\n"
    "      --version       show the version and exit\n"
    "\n"
    "Without -r or --no-recursive the stored option \"search all sub-folders\"\n"
    "holds; -a applies to this run only. Steps are printed one a line,\n"
    "tab-separated: rename OLD NEW, link LINK TARGET, delete DEADLINK,\n"
    "keep PATH REASON, retag PATH FIELD OLD NEW; in paths \\\\, \\t, \\n and \\r\n"
    "stand for a backslash, tab, line feed and carriage return.\n"
    "Progress goes to standard error; Ctrl-C stops the run between two files.\n"
    "With a display, sortune alone opens its window, and sortune PATH organizes\n"
    "the folder of PATH in the window and closes it; with an option it runs here.\n"
    "Each run keeps a journal for --undo in $XDG_STATE_HOME/sortune/runs\n"
    "(~/.local/state/sortune/runs), the last 50 runs.\n"
    "Exit status: 0 done, 1 something failed, 2 wrong command line,\n"
    "128+N stopped by signal N (130 for Ctrl-C).\n";

constexpr const char* kHelpChinese =
    "用法：sortune [选项]... 路径...\n"
    "按标签中的歌曲标题重命名文件夹中的每个 MP3 和 WMA 文件，把繁体中文（Big5）\n"
    "转换为简体中文，并去掉开头的音轨号。新名称已被占用时保留原名，绝不覆盖任何\n"
    "文件。路径是要整理的文件夹，或一个文件（整理它所在的文件夹）；多个路径依次\n"
    "整理。需要简体中文环境（LANG=zh_CN.UTF-8）。\n"
    "\n"
    "  -n, --dry-run       不做任何改动，只列出整理时会做的事\n"
    "  -r, --recursive     同时整理所有子目录（仅本次）\n"
    "      --no-recursive  只整理文件夹本身（仅本次）\n"
    "  -a, --by-artist     文件不动，在以歌手命名的文件夹中建立以标题命名的链接\n"
    "  -t, --fix-tags      同时修复标签：播放器显示成乱码的中文\n"
    "      --no-rename     不改名（与 -t 同用时只修复标签）\n"
    "  -A, --all-formats   同时整理 FLAC、Ogg、Opus、M4A、APE 和 WavPack 文件\n"
    "  -v, --verbose       每完成一步就列出一行\n"
    "  -q, --quiet         不显示进度；错误和汇总照常显示\n"
    "      --undo          撤销最近一次整理（与 -n 同用时只列出会做的事）\n"
    "      --redo          重做最近一次撤销\n"
    "      --history       列出可撤销的整理记录，按时间先后\n"
    "  -h, --help          显示此帮助并退出\n"
    "      --version       显示版本并退出\n"
    "\n"
    "未给出 -r 或 --no-recursive 时，沿用保存的“查找所有子目录”选项；-a 只用于\n"
    "本次整理。\n"
    "每一步占一行，以制表符分隔：rename 原路径 新路径、link 链接 目标、\n"
    "delete 失效链接、keep 路径 原因、retag 路径 字段 原文 新文；\n"
    "路径中的 \\\\、\\t、\\n、\\r 分别表示反斜杠、制表符、换行符和回车符。\n"
    "进度显示在标准错误上；按 Ctrl-C 在两个文件之间停止整理。\n"
    "有图形界面时，单独运行 sortune 打开窗口，sortune 路径 在窗口中整理该路径的\n"
    "文件夹并在完成后关闭；带选项时在终端中运行。\n"
    "每次整理都在 $XDG_STATE_HOME/sortune/runs（~/.local/state/sortune/runs）\n"
    "留下供 --undo 使用的日志，保留最近 50 次。\n"
    "退出状态：0 完成，1 有操作失败，2 命令行有误，128+N 被信号 N 停止\n"
    "（Ctrl-C 为 130）。\n";

const char* Pick(const char* chinese, const char* english) {
    return ChineseOr(chinese, english);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

}  // namespace

std::string Line(const std::string& text) {
    return "sortune: " + text;
}

std::string Help() {
    return Pick(kHelpChinese, kHelpEnglish);
}

std::string UsageError(const ParsedCommandLine& parsed) {
    const char* text = parsed.text.c_str();
    switch (parsed.problem) {
        case UsageProblem::UnknownOption:
            return ansi::Format(Pick("无法识别的选项“%s”", "unrecognized option '%s'"), text);
        case UsageProblem::UnknownShort:
            return ansi::Format(Pick("无效的选项 -- “%s”", "invalid option -- '%s'"), text);
        case UsageProblem::UnexpectedValue:
            return ansi::Format(Pick("选项“%s”不接受参数", "option '%s' doesn't allow an argument"),
                                text);
        case UsageProblem::MissingPath:
            return Pick("缺少要整理的路径（没有显示器时无法打开对话框）",
                        "missing PATH to organize (without a display there is no "
                        "dialog)");
        case UsageProblem::PathNotTaken:
            return ansi::Format(Pick("“%s”不接受路径", "'%s' takes no PATH"), text);
        case UsageProblem::None:
            break;
    }
    return {};
}

std::string TryHelp() {
    return Pick("请尝试执行“sortune --help”来获取更多信息。",
                "Try 'sortune --help' for more information.");
}

std::string LanguageHint() {
    return Pick("请在简体中文环境中运行，例如：LANG=zh_CN.UTF-8 sortune 路径",
                "run it in a simplified Chinese locale, for example: "
                "LANG=zh_CN.UTF-8 sortune PATH");
}

std::string PathError(const std::string& path, int error) {
    return ansi::Format(Pick("无法整理“%s”：%s", "cannot organize '%s': %s"),
                        EscapePath(path).c_str(), ErrorText(error).c_str());
}

std::string RootRefused(const std::string& path) {
    return ansi::Format(
        Pick("拒绝整理根文件夹（“%s”）", "refusing to organize the root folder ('%s')"),
        EscapePath(path).c_str());
}

std::string StepFailed(const Change& step, int error) {
    const std::string path = EscapePath(step.path);
    const std::string other = EscapePath(step.other);
    const std::string reason = ErrorText(error);
    switch (step.kind) {
        case ChangeKind::Rename:
            return ansi::Format(
                Pick("无法将“%s”重命名为“%s”：%s", "cannot rename '%s' to '%s': %s"), path.c_str(),
                other.c_str(), reason.c_str());
        case ChangeKind::Link:
            return ansi::Format(
                Pick("无法建立链接“%s”（指向“%s”）：%s", "cannot write the link '%s' to '%s': %s"),
                path.c_str(), other.c_str(), reason.c_str());
        case ChangeKind::Delete:
            return ansi::Format(
                Pick("无法删除失效链接“%s”：%s", "cannot delete the dead link '%s': %s"),
                path.c_str(), reason.c_str());
        case ChangeKind::Retag:
            return ansi::Format(
                Pick("无法修复“%s”的标签：%s", "cannot repair the tags of '%s': %s"), path.c_str(),
                reason.c_str());
        case ChangeKind::MakeFolder:
        case ChangeKind::RemoveFolder:
        case ChangeKind::Keep:
            break;
    }
    return ansi::Format("%s: %s", path.c_str(), reason.c_str());
}

std::string Summary(const RunTally& tally, int hiddenFolders) {
    std::string summary =
        ansi::Format(Pick("重命名 %d，链接 %d，删除失效链接 %d，保留 %d，失败 %d",
                          "%d renamed, %d linked, %d dead links deleted, %d kept, %d failed"),
                     tally.renamed, tally.linked, tally.deleted, tally.kept, tally.failed);
    if (tally.retagged > 0) {
        summary += ansi::Format(Pick("，修复标签 %d", ", %d tags repaired"), tally.retagged);
    }
    if (hiddenFolders > 0) {
        summary += ansi::Format(Pick("；跳过隐藏文件夹 %d 个", "; %d hidden folders passed over"),
                                hiddenFolders);
    }
    return summary;
}

std::string FormatsLeft(int count) {
    return ansi::Format(
        Pick("留下其他格式的音乐文件 %d 个（FLAC、Ogg、M4A、APE 等）；"
             "加 --all-formats（-A）或选中窗口右键菜单中的“整理所有音乐格式”可一并整理",
             "%d audio files of other formats (FLAC, Ogg, M4A, APE, ...) left; "
             "--all-formats (-A) or the window's \"all audio formats\" item "
             "takes them too"),
        count);
}

std::string Stopped(int signal, int done, int total) {
    const char* name = sigabbrev_np(signal);
    const std::string signalName = name != nullptr ? std::string("SIG") + name : "?";
    if (total == 0) {
        return ansi::Format(
            Pick("被 %s 停止，尚未处理任何文件", "stopped by %s before any file was handled"),
            signalName.c_str());
    }
    return ansi::Format(
        Pick("被 %s 停止，已处理 %d 个文件（共 %d 个）", "stopped by %s after %d of %d files"),
        signalName.c_str(), done, total);
}

std::string Progress(int done, int total) {
    return ansi::Format("mp3名称整理 - %d/%d ", done, total);
}

std::string JournalError(const std::string& folder, int error) {
    if (error == EWOULDBLOCK) {
        return ansi::Format(
            Pick("另一个 sortune 正在整理或撤销（日志在“%s”中）；请等它结束后再试；未做任何改动",
                 "another sortune is organizing or taking a run back (its journals "
                 "are in '%s'); try again when it has ended; nothing was changed"),
            EscapePath(folder).c_str());
    }
    return ansi::Format(Pick("无法在“%s”中写入日志：%s；未做任何改动",
                             "cannot keep the journal in '%s': %s; nothing was changed"),
                        EscapePath(folder).c_str(), ErrorText(error).c_str());
}

std::string JournalIncomplete(const std::string& path, int error) {
    return ansi::Format(
        Pick("日志“%s”未能写完：%s", "the journal '%s' could not be written to its end: %s"),
        EscapePath(path).c_str(), ErrorText(error).c_str());
}

std::string JournalDamaged(const std::string& path, std::size_t line) {
    return ansi::Format(Pick("日志“%s”第 %zu 行已损坏；未做任何改动；将它移走后可撤销更早的整理",
                             "the journal '%s' is damaged at line %zu; nothing was changed; move "
                             "it away to take back the runs before it"),
                        EscapePath(path).c_str(), line);
}

std::string NothingToTakeBack(bool redo) {
    return redo ? Pick("没有可重做的撤销", "nothing to redo")
                : Pick("没有可撤销的整理", "nothing to undo");
}

std::string TakingBack(bool redo, const JournalHeader& target) {
    const char* format =
        redo ? Pick("重做 %s 撤销的、在“%s”中的整理", "redoing the run in '%2$s' undone at %1$s")
             : Pick("撤销 %s 在“%s”中的整理", "undoing the run of %s in '%s'");
    return ansi::Format(format, target.started.c_str(), EscapePath(target.folder).c_str());
}

std::string TakeBackFailed(const Change& original, const Outcome& outcome) {
    const std::string path = EscapePath(original.path);
    const std::string other = EscapePath(original.other);
    std::string what;
    switch (original.kind) {
        case ChangeKind::Rename:
            what = ansi::Format(Pick("将“%s”重命名为“%s”", "the rename of '%s' to '%s'"),
                                path.c_str(), other.c_str());
            break;
        case ChangeKind::Link:
            what = ansi::Format(Pick("链接“%s”", "the link '%s'"), path.c_str());
            break;
        case ChangeKind::Delete:
            what = ansi::Format(Pick("删除失效链接“%s”", "the deletion of the dead link '%s'"),
                                path.c_str());
            break;
        case ChangeKind::MakeFolder:
            what = ansi::Format(Pick("建立文件夹“%s”", "the new folder '%s'"), path.c_str());
            break;
        case ChangeKind::RemoveFolder:
            what = ansi::Format(Pick("删除文件夹“%s”", "the removal of the folder '%s'"),
                                path.c_str());
            break;
        case ChangeKind::Retag:
            what = ansi::Format(Pick("“%s”的标签修复", "the tag repair of '%s'"), path.c_str());
            break;
        case ChangeKind::Keep:
            break;
    }
    return ansi::Format(Pick("无法撤回%s：%s", "cannot take back %s: %s"), what.c_str(),
                        SkipText(outcome).c_str());
}

std::string SkipText(const Outcome& outcome) {
    switch (outcome.change.reason) {
        case Reason::MovedSince:
            return Pick("文件已被移走", "moved since");
        case Reason::NameTakenSince:
            return Pick("名称已被占用", "name taken since");
        case Reason::ChangedSince:
            return Pick("已被改动", "changed since");
        case Reason::FolderNotEmpty:
            return Pick("文件夹不为空", "folder not empty");
        case Reason::OutsideRun:
            return Pick("不在该次整理的文件夹中", "outside the folder of the run");
        default:
            break;
    }
    return ErrorText(outcome.error);
}

std::string TakeBackSummary(const TakeBackReport& report) {
    return ansi::Format(
        Pick("撤回 %d，原已复原 %d，跳过 %d", "%d taken back, %d already as before, %d skipped"),
        report.changed, report.alreadyBack, report.skipped);
}

std::string TakeBackStopped(int signal, bool redo) {
    const char* name = sigabbrev_np(signal);
    const std::string signalName = name != nullptr ? std::string("SIG") + name : "?";
    return ansi::Format(
        Pick("被 %s 停止；再次执行 %s 可继续", "stopped by %s; run %s again to go on"),
        signalName.c_str(), redo ? "--redo" : "--undo");
}

std::string HistoryLine(const Journal& journal, bool takenBack) {
    int renamed = 0;
    int linked = 0;
    int deleted = 0;
    int folders = 0;
    for (const JournalEntry& entry : journal.changes) {
        if (entry.state == ChangeState::Kept) {
            continue;
        }
        const Change& change = entry.change;
        renamed += change.kind == ChangeKind::Rename ? 1 : 0;
        linked += change.kind == ChangeKind::Link ? 1 : 0;
        deleted += change.kind == ChangeKind::Delete ? 1 : 0;
        folders += change.kind == ChangeKind::MakeFolder || change.kind == ChangeKind::RemoveFolder
                       ? 1
                       : 0;
    }
    const char* state = journal.damagedLine != 0    ? Pick("已损坏", "damaged")
                        : !journal.complete         ? Pick("被打断", "interrupted")
                        : !ChangedAnything(journal) ? Pick("未改动", "nothing changed")
                        : takenBack
                            ? (journal.header.kind == JournalKind::Undo ? Pick("已重做", "redone")
                                                                        : Pick("已撤销", "undone"))
                            : "";
    return ansi::Format(Pick("%s\t%s\t%s\t重命名 %d，链接 %d，删除链接 %d，文件夹 %d\t%s",
                             "%s\t%s\t%s\t%d renamed, %d linked, %d links deleted, %d "
                             "folders\t%s"),
                        journal.header.started.c_str(), KindName(journal.header.kind),
                        EscapePath(journal.header.folder).c_str(), renamed, linked, deleted,
                        folders, state);
}

}  // namespace messages
