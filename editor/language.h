#pragma once
// Language unit of the editor: it holds no code; the English texts are set at start-up.
