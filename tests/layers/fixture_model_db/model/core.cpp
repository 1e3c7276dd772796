#include "db/connection.h"
#include <QString>
#include "db/value.h"
