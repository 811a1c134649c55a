// Root of the static effects: each reworks a linked graphic's pixels once, when
// it is linked, and with CANUNDO keeps what it replaced so that unlinking puts
// the picture back.
//
// Undo of a plain graphic gives back the buffers the effect replaced (an effect
// that works in place keeps nothing to give back); a graphic held packed is
// unpacked for the effect and packed again on undo, which brings back its stored
// picture. Graphics that do not own their buffers (views of others) are left as
// they are.
//
// An animation is worked on through its frames: with CURRENTFRAME (the default)
// only the frame shown, and with CANUNDO the effect follows the animation (the
// frame left is put back, the frame shown next gets the effect); without
// CURRENTFRAME every frame at once.
#pragma once

#include "graphics/play/CPlayable.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CGraphicsFilter.h"

class CAnimo;
class CFilterUndoRecord;

class CStaticFilterParams : public CFilterParams {
public:
    static constexpr int kColorChannel = 100;
    static constexpr int kGrayScale = 101;
    static constexpr int kRotate = 102;
    static constexpr int kBlur = 103;
    static constexpr int kScale = 104;
    static constexpr int kNegative = 105;
    static constexpr int kRandomJitter = 200;
    static constexpr int kWaves = 201;

    explicit CStaticFilterParams(int type) : CFilterParams(type) {}
    // "CANUNDO", "CURRENTFRAME" as booleans; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;

    bool canUndo() const { return m_canUndo; }
    bool isCurrentFrame() const { return m_currentFrame; }

private:
    bool m_canUndo = false;
    bool m_currentFrame = true;
};

class CStaticGraphicsFilter : public CGraphicsFilter, public CPlayableObserver {
public:
    CStaticGraphicsFilter(CWindow* window, CStaticFilterParams* params);
    // Detaches every record, with its undo.
    ~CStaticGraphicsFilter() override;

    // Attach: applies the effect (keeping the undo under CANUNDO), then adds the record.
    void addTarget(CFilterTarget* target) override;
    // Detach: under CANUNDO puts back what the effect replaced; then the record goes.
    void unlinkTarget(CFilterTarget* target) override;
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override;
    // The animation of a linked record shows another frame.
    bool onPlayableTick(CPlayable* playable) override;

    // The pixel operation: the base unpacks a packed graphic. With freeReplaced the
    // buffers replaced are freed, else they are left to the caller.
    virtual void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced);
    virtual void applyToTarget(CFilterTarget* target, bool freeReplaced);

    virtual bool replacesPixels() const { return false; }
    virtual bool replacesAlpha() const { return false; }
    virtual bool changesGeometry() const { return false; }

    CStaticFilterParams* staticParams() const { return static_cast<CStaticFilterParams*>(getParams()); }

    // Whether the operation may rework the graphic: it has pixels, owns them and
    // they are plain 16-bit ones (after unpacking).
    static bool isWorkable(CGraphicsObject* graphic);
    // Puts a new pixel buffer in, freeing the former one when asked.
    static void installPixels(CGraphicsObject* graphic, char* pixels, bool freeReplaced);

private:
    void attachAnimation(CFilterTarget* target, CAnimo* animation);
    void detachAnimation(CFilterTarget* target, CAnimo* animation);
    // The effect on one frame, under the animation's clipping rectangle.
    void applyToFrame(CAnimo* animation, CGraphicsObject* frame, bool freeReplaced);
    // Into the record's current entry.
    void saveState(CGraphicsObject* graphic, CFilterUndoRecord* record);
    // Puts back entry i and empties it.
    void restoreEntry(CGraphicsObject* graphic, CFilterUndoRecord* record, int i);
    // Puts back the current entry, then frees everything saved.
    void restore(CGraphicsObject* graphic, CFilterUndoRecord* record);
    // Forgets saved buffers the effect kept for itself (it worked in place).
    static void dropKeptBuffers(CGraphicsObject* graphic, CFilterUndoRecord* record, int i);
};
