#pragma once

// The questions a divider asks its delegate. Each is optional: an empty
// answer means the delegate does not answer that question, and the divider
// uses its default.

#include <QString>

#include <optional>

class VelSolomonButton;

class VelSolomonButtonDelegate {
public:
    virtual ~VelSolomonButtonDelegate() = default;

    // The name under which the left width is stored.
    [[nodiscard]] virtual std::optional<QString> solomonButtonAutoSaveName(const VelSolomonButton *) const
    {
        return std::nullopt;
    }
    [[nodiscard]] virtual std::optional<qreal> solomonButtonLeftMinimumWidth(const VelSolomonButton *) const
    {
        return std::nullopt;
    }
    [[nodiscard]] virtual std::optional<qreal> solomonButtonRightMinimumWidth(const VelSolomonButton *) const
    {
        return std::nullopt;
    }
};
