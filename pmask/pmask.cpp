#include "pmask/pmask.h"
