// What both implementations of TComLink share, for their own use only.
#pragma once

#include "com_link.h"

// The hook SetComLinkHook installed last; empty members when none.
const TComLinkHook& ComLinkHook();

// ShowCommError's box when no hook shows it: each platform has its own.
void ShowDefaultErrorBox(const std::string& caption, const std::string& text);
