// A core header that reaches up into the app and includes windows.h: the layering check must refuse it.
#pragma once
#include <windows.h>

#include "app/frame/main_window.h"
