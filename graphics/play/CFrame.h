// One picture of an animation: a graphics object that also knows where it sits
// inside the animation and which header layout it was read with. It reads and
// writes its own header and pixels in the animation file's layouts and unpacks
// itself when drawn.
#pragma once
#include <cstdint>

#include "graphics/core/CGraphicsObject.h"

class CFrame : public CGraphicsObject {
public:
    // Frames larger than this a side are refused by the readers.
    static constexpr int kMaxSide = 8192;
    // Sizes of the new family's frame headers.
    static constexpr int kHeaderSize32 = 32;
    static constexpr int kHeaderSize52 = 52;

    explicit CFrame(CWindow* window);
    // A view of the object's buffers (not owned), at the object's position.
    CFrame(CWindow* window, CGraphicsObject* object);
    // An empty frame on the other frame's window.
    CFrame(CFrame& other);
    CFrame& operator=(const CFrame&) = delete;
    ~CFrame() override;

    void SetPosition(CXPoint p) override;
    void SetPosition(int x, int y) override;
    void Move(int dx, int dy) override;
    using CGraphicsObject::Move;
    void redraw(CGraphicsObject* destination) override;
    int Load(CFile* file) override;
    using CGraphicsObject::Load;
    void Save(CFile* file, _compression compression) override;
    using CGraphicsObject::Save;
    CXPoint GetPosition() override;
    virtual void SetPosOffset(int x, int y);

    CXPoint getPosOffset() const { return m_posOffset; }
    CXPoint GetFramePosition() const { return m_framePosition; }
    int getHeaderVersion() const { return m_version; }
    int getChannelCount() const { return m_channelCount; }
    void setChannelCount(int count) { m_channelCount = count; }

    // Readers. Each returns 0, or non-zero when the bytes are not there or a
    // field is out of range (the frame is then left without pixels).
    // Old-family header of a version (1: 20 bytes; 2 and 3: 32 bytes); other
    // versions read nothing.
    int LoadHeader(CFile* file, int version);
    // New-family headers: 32 bytes with at most 4 channel sizes, 52 with at most 9.
    int LoadHeaderNew(CFile* file);
    int LoadHeaderNew2(CFile* file);
    int LoadNew(CFile* file);

    // Writers; false when a write fell short.
    bool SaveHeader(CFile* file, int version);
    bool SaveHeader3(CFile* file, _compression compression);
    bool SaveHeaderNew(CFile* file, _compression compression);
    bool SaveNew(CFile* file, _compression compression);

    // Animations showing the frame (their pixel and alpha pointers name its buffers)
    // count themselves as its users; frames are shared by an animation's copies. The
    // planes a packed frame unpacked for drawing stay while any user shows it, and the
    // frame goes back to its packed planes when the last one moves on.
    void addUser() { ++m_users; }
    void releaseUser();
    int getUsers() const { return m_users; }

    // The number of bytes its pixel data must have for its size and depth, or
    // -1 for an unknown depth.
    int64_t plainDataSize() const;
    // Whether the pixels and alpha buffer held have exactly the sizes a plain
    // frame of this size needs.
    bool hasPlainSizes() const;

private:
    int readNewHeader(CFile* file, int headerSize, int maxChannels);
    bool writeNewHeader(CFile* file, _compression compression, int headerSize);
    // Reads `size` bytes into a new buffer; null when they are not all there.
    static char* readBlock(CFile* file, int64_t size);
    // Reads `size` pixel bytes and the alpha channel the header names and takes
    // them as the frame's own buffers; false (frame unchanged) when either is short.
    bool readPixelsAndAlpha(CFile* file, int64_t size);

    int m_version = 0;
    int m_users = 0;
    // Channel sizes named by the header read last (0 or 4 when written here).
    int m_channelCount = 0;
    CXPoint m_posOffset;
    CXPoint m_framePosition;
};
