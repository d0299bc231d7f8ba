#pragma once
// Progress events of the hand-written readers and writers: the start event fires on creation and
// the end event on every way out, also when decoding raises.
#include "imaging/pixel_graphic.h"

class TProgressScope {
public:
    explicit TProgressScope(TPixelGraphic& Graphic) : Graphic(Graphic) { Graphic.FireProgressBegin(); }
    ~TProgressScope() {
        try {
            Graphic.FireProgressEnd();
        } catch (...) {
            // A handler that raises here would end the process while the reader's own error travels.
        }
    }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;
    // Reports row Done of Total; true when the handler asks to stop.
    bool Row(int Done, int Total) {
        bool abort = false;
        Graphic.FireProgress(Done, abort, Total);
        return abort;
    }

private:
    TPixelGraphic& Graphic;
};
