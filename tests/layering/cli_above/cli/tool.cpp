#include "printing/page.h"
