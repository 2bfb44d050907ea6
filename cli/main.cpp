// kolmarin2-cli: headless calculations for scripts.
#include "model/errors.h"
#include "model/number_text.h"
#include "model/response.h"
#include "model/scene.h"

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

int printDefaultResponse() {
    kolmarin::SceneTexts texts; // the start-up scene, listener height 1.00 m
    kolmarin::ResponseCurves curves;
    const kolmarin::Scene scene = kolmarin::readCalculationScene(texts, '.', nullptr);
    kolmarin::calculateResponse(scene, curves);
    const auto range = kolmarin::storedElements(scene.startFrequency, scene.endFrequency);
    for (int j = range.first; j <= range.last; ++j)
        std::printf("%.1f %.2f %.2f %.2f\n", j / 2.0, curves.sp1[j], curves.sp2[j], curves.total[j]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "response") != 0) {
        std::cerr << "usage: kolmarin2-cli response\n";
        return 2;
    }
    try {
        return printDefaultResponse();
    } catch (const kolmarin::UserError& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
