#pragma once

#include "organizer/conversiontables.h"

// The program: reads the command line and registers or unregisters the file-manager menu
// ("i", "u"), or loads the conversion tables and runs the dialog or, without a display or
// for a command line typed in a terminal, the runs without a window.
//
//   OrganizerApp app(argc, argv);
//   app.InitInstance();
//   return app.ExitInstance();
class OrganizerApp {
public:
    // The arguments must outlive the object.
    OrganizerApp(int argc, char** argv) : m_argc(argc), m_argv(argv) {}

    // Does what the command line asks. Returns false: the program ends after it.
    bool InitInstance();
    // The program's exit status.
    int ExitInstance() const { return m_nExitCode; }

    // Finds the two tables; says which could not be loaded, in a message box.
    void LoadTables(ConversionTables::ResourceFinder find);
    const ConversionTables& Tables() const { return m_tables; }

private:
    int RunDialog(const std::string& startFolder);
    // The box the file managers' about item asks for: 0 once shown, 1 without a display.
    int ShowMessageBox(const std::string& caption, const std::string& text);

    int m_argc;
    char** m_argv;
    ConversionTables m_tables;
    int m_nExitCode = 0;
};
