#pragma once
// A number parser that reaches up into acoustics/: the wrong way round.
#include "model/acoustics/scene.h"
