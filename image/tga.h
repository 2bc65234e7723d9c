// Uncompressed TGA images: placeholder until the module lands.
#pragma once
