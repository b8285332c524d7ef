#pragma once

#include "CWindow.h"

#include <QPushButton>

// A push button. Pressing it sends the dialog the command (BN_CLICKED, its identifier).
class CButton : public CControl<QPushButton> {};
