#include "StreamTable.h"

#include <algorithm>

#include "EncoderStream.h"

CStreamTable& CStreamTable::Instance()
{
    static CStreamTable table;
    return table;
}

BE_ERR CStreamTable::Add(std::unique_ptr<CEncoderStream> stream, HBE_STREAM* handle)
{
    std::lock_guard lock(m_mutex);
    if (m_streams.size() >= kMaxOpenStreams)
        return BE_ERR_NO_MORE_HANDLES;
    *handle = m_nextHandle++;
    m_streams.emplace(*handle, std::move(stream));
    return BE_ERR_SUCCESSFUL;
}

std::shared_ptr<CEncoderStream> CStreamTable::Find(HBE_STREAM handle) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_streams.find(handle);
    return found == m_streams.end() ? nullptr : found->second;
}

bool CStreamTable::WasIssued(HBE_STREAM handle) const
{
    std::lock_guard lock(m_mutex);
    return handle != 0 && handle < m_nextHandle;
}

BE_ERR CStreamTable::Close(HBE_STREAM handle)
{
    std::shared_ptr<CEncoderStream> stream;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_streams.find(handle);
        if (found == m_streams.end())
            return BE_ERR_INVALID_HANDLE;
        stream = std::move(found->second);
        m_streams.erase(found);
    }
    // Built outside the lock: another thread may still be finishing a call
    // on this stream, and the stream serialises that itself.
    // A stream without a tag is remembered too, so that a later
    // beWriteVBRHeader on this thread finds nothing rather than the tag of
    // an older stream.
    std::vector<uint8_t> tag = stream->InfoTag();
    std::lock_guard lock(m_mutex);
    if (m_closedTags.size() >= kMaxClosedTags)
        m_closedTags.pop_front();
    m_closedTags.push_back({handle, std::this_thread::get_id(), std::move(tag)});
    return BE_ERR_SUCCESSFUL;
}

std::optional<std::vector<uint8_t>> CStreamTable::TakeClosedTag(HBE_STREAM handle)
{
    std::lock_guard lock(m_mutex);
    const auto found = std::find_if(m_closedTags.begin(), m_closedTags.end(),
                                    [handle](const ClosedTag& c) { return c.handle == handle; });
    if (found == m_closedTags.end())
        return std::nullopt;
    std::vector<uint8_t> tag = std::move(found->tag);
    m_closedTags.erase(found);
    if (tag.empty())
        return std::nullopt;
    return tag;
}

std::optional<std::vector<uint8_t>> CStreamTable::TakeLastClosedTagOfThisThread()
{
    std::lock_guard lock(m_mutex);
    const std::thread::id self = std::this_thread::get_id();
    const auto found = std::find_if(m_closedTags.rbegin(), m_closedTags.rend(),
                                    [self](const ClosedTag& c) { return c.closedBy == self; });
    if (found == m_closedTags.rend())
        return std::nullopt;
    std::vector<uint8_t> tag = std::move(found->tag);
    m_closedTags.erase(std::next(found).base());
    if (tag.empty())
        return std::nullopt;
    return tag;
}
