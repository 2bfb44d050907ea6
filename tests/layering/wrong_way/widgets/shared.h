#pragma once
#include "dialogs/settings.h"
