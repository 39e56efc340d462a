// The picture libraries the host uses (Debian's libstb-dev, header-only):
// PNG out, BMP and PNG in, and scaling; host/stb.cpp carries their code.
#pragma once

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>
