// The whole graphics API.
#pragma once

#include "contracts/pictor/brush.h"
#include "contracts/pictor/canvas.h"
#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "contracts/pictor/image.h"
#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"
#include "contracts/pictor/types.h"
