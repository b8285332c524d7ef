// The Edit menu's commands, the hot-button configuration and the About box.
#include "CChecklistDlg.h"
