#include "demo/Scene.h"

#include "platform/Timer.h"
#include "platform/win32/Windows.h"

Scene::~Scene() = default;

void ReportDrawFailure(EngineResult code) {
    if (code < 0) {
        OutputDebugStringA(DescribeEngineError(code));
    }
}

float Milliseconds(const Timer& timer) {
    return static_cast<float>(timer.ElapsedMilliseconds());
}
