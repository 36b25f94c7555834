#include <clocale>

#include "app/organizerapp.h"

int main(int argc, char** argv) {
    // The system's own texts (the reasons of errors) in the user's language.
    std::setlocale(LC_ALL, "");
    OrganizerApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
