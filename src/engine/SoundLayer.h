#pragma once
// Interface placeholder; the sound layer itself lands with its own change.
