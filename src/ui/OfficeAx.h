#pragma once
// The office suite's own automation servers on Windows, through ActiveQt.
#include "persist/Automation.h"

#include <memory>

std::unique_ptr<TAutoServers> MakeAxServers();
