// No resources are embedded yet.
namespace kelvo_resources {}
