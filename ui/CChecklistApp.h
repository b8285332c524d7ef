#pragma once

#include "CApplication.h"

// The program's one application object: its start-up runs the checklist screen as the main
// window, and the program ends as soon as the screen has ended.
class CChecklistApp : public CApplication {
protected:
    bool InitInstance() override;
};
