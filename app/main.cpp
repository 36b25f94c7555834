#include "app/organizerapp.h"

int main(int argc, char** argv) {
    OrganizerApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
