#pragma once

// The message boxes live in widgets/, below the window and the folder
// browser alike; the window's own files still name them by this header.
#include "widgets/MessageBox.h"
