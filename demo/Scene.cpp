#include "demo/Scene.h"

#include "platform/win32/Windows.h"

Scene::~Scene() = default;

void ReportDrawFailure(EngineResult code) {
    if (code < 0) {
        OutputDebugStringA(DescribeEngineError(code));
    }
}
