#include "CChecklistApp.h"

int main(int argc, char** argv) {
    CChecklistApp app;
    return app.Run(argc, argv);
}
