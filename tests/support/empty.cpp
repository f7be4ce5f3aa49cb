// Keeps the support library non-empty while it has no shared fixture yet.
namespace kelvo_test_support {}
