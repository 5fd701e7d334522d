#include <gtest/gtest.h>

#include "links/Extract.h"
