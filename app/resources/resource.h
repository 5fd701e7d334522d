// Resource numbers shared by zelvorn.rc and the program.
#pragma once

#define IDI_LOGO_THUNDER 101
#define IDI_LOGO_FLASHGET 102
#define IDI_LOGO_QQDL 103
#define IDR_BANNER 201
#define IDR_CLICK 202
