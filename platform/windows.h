// Win32 as the system sees it: types, constants, records, functions and COM interfaces.
#pragma once

#include "platform/win32/api.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"
#include "platform/win32/structs.h"
#include "platform/win32/types.h"
