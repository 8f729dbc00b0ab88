// The whole framework in one include.
#pragma once

#include "platform/framework/cmd_target.h"
#include "platform/framework/dialog.h"
#include "platform/framework/frame_wnd.h"
#include "platform/framework/win_app.h"
