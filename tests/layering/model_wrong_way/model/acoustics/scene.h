#pragma once
// A scene, which reads its numbers through text/.
#include "model/text/digits.h"
