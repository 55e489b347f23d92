#pragma once
// Every tool state of the editor, for the state bank and the tool panel. Each
// tool's behaviour (selecting, point editing, drawing, shapes and texts,
// placing pads and parts) is in its own unit; in all of them Space, Space+X
// and Space+Z, tested after the key flags are updated on key-down and key-up,
// hand over to the temporary view states.

#include "states/Vemoeventstate.h"
#include "states/Vemodrawstate.h"
#include "states/Vemopartsstate.h"
#include "states/Vemopointstate.h"
#include "states/Vemoselectstate.h"
#include "states/Vemoshapestate.h"
