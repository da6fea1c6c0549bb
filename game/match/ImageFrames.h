#pragma once
// Frame animation of a cel image driven by a tick counter: the frame moves on
// every time the counter reaches a multiple of the image's frame delay. A
// missing image has one frame and a delay of 1.

namespace Kivo {
class Image;
}

int FrameCount(const Kivo::Image* image);
int FrameDelay(const Kivo::Image* image);
// Counts the tick and moves the frame on when it falls due.
void AdvanceFrame(const Kivo::Image* image, int& tick, int& frame);
