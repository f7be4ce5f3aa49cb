// Lets a layer library build while its folders are still empty.
namespace kelvo_empty {}
