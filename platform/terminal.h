#pragma once

// What the program may know of the terminal its output goes to.

// True when the descriptor is a terminal.
bool IsTerminal(int fd);

// The width of the terminal in columns, or 0 when the descriptor is none or does not say.
int TerminalColumns(int fd);
