#pragma once
// A quarter turn clockwise of a square of side w, ring by ring, moving whole
// records: afterwards (x, y) holds what stood at (y, w - 1 - x). `at(x, y)`
// gives a reference to the record of a place.
template <class At>
void RotateRingsClockwise(int w, At at)
{
    for (int r = 0; r < w / 2; ++r) {
        for (int k = 0; k < w - 1 - 2 * r; ++k) {
            auto saved = at(r, r + k);
            at(r, r + k) = at(r + k, w - 1 - r);
            at(r + k, w - 1 - r) = at(w - 1 - r, w - 1 - r - k);
            at(w - 1 - r, w - 1 - r - k) = at(w - 1 - r - k, r);
            at(w - 1 - r - k, r) = saved;
        }
    }
}
