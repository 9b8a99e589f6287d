#include "cipher/layer_stages.h"

namespace brisol {

LayerStage::LayerStage(Direction direction, Stage stage, const CipherKernels& kernels) noexcept
    : kernels_(&kernels),
      gost_(stage_layer(direction, stage) == Layer::Rc4 ? nullptr
            : direction == Direction::Crypt             ? kernels.level1_encrypt
                                                        : kernels.level1_decrypt) {}

bool LayerStage::apply(Level1Cipher& level1, Level2Cipher& level2,
                       std::span<std::uint8_t> piece) noexcept {
    if (piece.empty()) return true;
    if (ended_) return false;
    ended_ = piece.size() % kChunkSize != 0;
    if (gost_ != nullptr)
        gost_(level1, piece.data(), piece.size() / kChunkSize * kBlocksPerChunk);
    else
        kernels_->level2_apply(level2, piece.data(), piece.size());
    return true;
}

void LayerStage::restart(Level1Cipher& level1, std::span<const std::uint8_t, kBlockSize> block_before) noexcept {
    level1.reg = FeedbackRegister::from_block(block_before);
}

}  // namespace brisol
