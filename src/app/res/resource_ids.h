// Resource identifiers shared by the .rc files and the code.
#pragma once

#define IDI_VANTREL 1
