#include "forms/test_add_bar_tool.h"
