#include "layer_stages.h"

namespace brisol {

LayerStage::LayerStage(Direction direction, Stage stage, const CipherKernels& kernels) noexcept
    : kernels_(&kernels),
      gost_(stage_layer(direction, stage) == Layer::Rc4 ? nullptr
            : direction == Direction::Crypt             ? kernels.gost_encrypt
                                                        : kernels.gost_decrypt) {}

bool LayerStage::apply(GostLayer& gost, Rc4Layer& rc4, std::span<std::uint8_t> piece) noexcept {
    if (piece.empty()) return true;
    if (ended_) return false;
    ended_ = piece.size() % kChunkSize != 0;
    if (gost_ != nullptr)
        gost_(gost, piece.data(), piece.size() / kChunkSize * kBlocksPerChunk);
    else
        kernels_->rc4_apply(rc4, piece.data(), piece.size());
    return true;
}

void LayerStage::restart(GostLayer& gost,
                         std::span<const std::uint8_t, kBlockSize> block_before) noexcept {
    gost.reg = FeedbackRegister::from_block(block_before);
}

}  // namespace brisol
