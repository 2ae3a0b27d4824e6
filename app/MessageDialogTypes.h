#pragma once

#include <cstdint>
#include <initializer_list>

// What a message dialog is about: its caption and icon.
enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

// The buttons a message dialog can offer, in the order it shows them.
enum class MessageButton { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, Help };

inline constexpr int MessageButtonCount = 9;

// A set of message dialog buttons; the order they are named in does not matter.
class MessageButtons {
public:
    constexpr MessageButtons() = default;
    constexpr MessageButtons(std::initializer_list<MessageButton> buttons) {
        for (MessageButton button : buttons)
            insert(button);
    }

    constexpr void insert(MessageButton button) { m_bits |= bit(button); }
    constexpr bool contains(MessageButton button) const { return (m_bits & bit(button)) != 0; }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr int count() const {
        int n = 0;
        for (std::uint16_t bits = m_bits; bits != 0; bits &= bits - 1)
            ++n;
        return n;
    }

private:
    static constexpr std::uint16_t bit(MessageButton button) {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(button));
    }

    std::uint16_t m_bits = 0;
};
