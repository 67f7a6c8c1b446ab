// GL test fixture on the headless platform.
#include "tests/gl/gl_fixture.h"

#include "platform/headless/headless_gl.h"

#include <cstdlib>
#include <string>

void GlTest::SetUpTestSuite()
{
    std::string error;
    if (!headless_gl_open(GL_TEST_WIDTH, GL_TEST_HEIGHT, &error)) {
        std::fprintf(stderr, "GL tests need an OpenGL context: %s\n", error.c_str());
        std::abort();
    }
}

void GlTest::TearDownTestSuite()
{
    headless_gl_close();
}

void GlTest::SetUp()
{
    glViewport(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, GL_TEST_WIDTH, GL_TEST_HEIGHT, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLenum state : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_CULL_FACE, GL_TEXTURE_2D})
        glDisable(state);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<uint8_t> GlTest::read_screen()
{
    return headless_gl_read_rgba(GL_TEST_WIDTH, GL_TEST_HEIGHT);
}

::testing::AssertionResult GlTest::pixel_is(int x, int y, Rgb expected, int tolerance)
{
    uint8_t p[4] = {};
    glReadPixels(x, GL_TEST_HEIGHT - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    for (int c = 0; c < 3; ++c)
        if (std::abs(p[c] - expected[c]) > tolerance)
            return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << int(p[0]) << "," << int(p[1])
                                                 << "," << int(p[2]) << ", want " << expected[0] << ","
                                                 << expected[1] << "," << expected[2];
    return ::testing::AssertionSuccess();
}

int count_differing(const std::vector<uint8_t>& screen, Rgb colour, int tolerance, int x0, int x1)
{
    int count = 0;
    for (int y = 0; y < GL_TEST_HEIGHT; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &screen[(static_cast<size_t>(y) * GL_TEST_WIDTH + x) * 4];
            for (int c = 0; c < 3; ++c)
                if (std::abs(p[c] - colour[c]) > tolerance) {
                    ++count;
                    break;
                }
        }
    return count;
}

int max_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int worst = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}
