#pragma once

#include <string>
#include <string_view>

// Menu texts as a Windows menu holds them ("整理当前文件夹\t(&S)": '&' before the mnemonic, "&&"
// for a literal '&', a tab before the accelerator column) in the forms the file managers take.
// The accelerator column is joined to the text: here it only holds the mnemonic.

// Without mnemonics: "(&S)" groups dropped, other '&' markers removed ("整理当前文件夹").
std::string PlainLabel(std::string_view text);

// Qt's form, '&' as on Windows ("整理当前文件夹(&S)").
std::string QtLabel(std::string_view text);

// GTK's form, '_' before the mnemonic and "__" for a literal '_' ("整理当前文件夹(_S)").
std::string GtkLabel(std::string_view text);
