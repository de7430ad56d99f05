#include "platform/dxf_file.h"
