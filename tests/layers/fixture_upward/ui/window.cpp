#include "sim/model.h"
