// SPDX-License-Identifier: MIT
#pragma once
// The devices a chart draws on: the image device (pixels in a QImage) and
// the recording device (a transcript of calls, for tests).
#include "chart/device/ImageDevice.h"
#include "chart/device/RecordingDevice.h"
