#include "column_stack/stack_load.h"
