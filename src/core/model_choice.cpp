#include "core/model_choice.h"

namespace tl {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> named(std::string_view name, const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == name) return static_cast<Enum>(i);
    return std::nullopt;
}

}  // namespace

std::optional<ModelKind> modelKindNamed(std::string_view name) {
    return named<ModelKind>(name, kModelKindNames);
}

std::optional<ModelMethod> modelMethodNamed(std::string_view name) {
    return named<ModelMethod>(name, kModelMethodNames);
}

std::string_view modelKindName(ModelKind kind) {
    return kModelKindNames[static_cast<std::size_t>(kind)];
}

std::string_view modelMethodName(ModelMethod method) {
    return kModelMethodNames[static_cast<std::size_t>(method)];
}

ModelKind kindOfMethod(ModelMethod method) {
    switch (method) {
        case ModelMethod::Multinomial:
            return ModelKind::Multinomial;
        case ModelMethod::SummedP:
        case ModelMethod::SummedD:
        case ModelMethod::RudnerP:
        case ModelMethod::RudnerD:
            return ModelKind::Irt;
        case ModelMethod::LivingstonLewis:
        case ModelMethod::HansonBrennan:
            return ModelKind::BetaBinomial;
    }
    return ModelKind::Multinomial;
}

ModelMethod defaultMethod(ModelKind kind) {
    switch (kind) {
        case ModelKind::Multinomial:
            return ModelMethod::Multinomial;
        case ModelKind::Irt:
            return ModelMethod::SummedP;
        case ModelKind::BetaBinomial:
            return ModelMethod::LivingstonLewis;
    }
    return ModelMethod::Multinomial;
}

bool methodUsesNodes(ModelMethod method) {
    return method == ModelMethod::SummedD || method == ModelMethod::RudnerD ||
           method == ModelMethod::LivingstonLewis || method == ModelMethod::HansonBrennan;
}

bool isModelName(std::string_view name) {
    if (name.empty() || name.size() > 40) return false;
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '-' && c != '_') return false;
    }
    return true;
}

std::string modelName(const ModelChoice& model) {
    return model.name.empty() ? std::string(modelMethodName(model.method)) : model.name;
}

}  // namespace tl
