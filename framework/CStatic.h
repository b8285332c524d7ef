#pragma once

#include "CWindow.h"

#include <QLabel>

// A static text (label). Its text is shown as plain text on one line.
class CStatic : public CControl<QLabel> {};
