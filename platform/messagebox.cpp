#include "platform/messagebox.h"

#include <cstdio>

namespace {

MessageBoxHost* g_host = nullptr;

int ShowOnStandardError(const std::string& text, unsigned type) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

}  // namespace

void SetMessageBoxHost(MessageBoxHost* host) {
    g_host = host;
}

int AfxMessageBox(const std::string& text, unsigned type) {
    return g_host != nullptr ? g_host->Show(text, type) : ShowOnStandardError(text, type);
}
