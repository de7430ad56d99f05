#include "column_stack/stack_files.h"
